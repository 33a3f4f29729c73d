// The program's two independent random sources: the standard library's rand
// and the minimal-standard generator, with one seam to seed both.
#pragma once

int randomInt(int a, int b);           // [a, b), on rand
int randomIntInclusive(int a, int b);  // [a, b], on rand
double nextUniform();                  // (0, 1), on the program's generator
float randomFloat(float a, float b);   // a + (b - a) * nextUniform()

// Seeds rand with the seconds and the program's generator with the same
// value as a double. The game passes the calendar time; tests a fixed seed.
void seedRandom(unsigned seconds);
double generatorState();
