// A part's shape on the cell grid: an integer grid of a picture's alpha
// values. Pictures are read into masks by render; the simulation only stamps.
#pragma once

#include <cstddef>
#include <vector>

// One cell per pixel.
struct CAlphaMask {
  std::vector<int> data;  // width * height entries, row after row
  int width = 0;
  int height = 0;
  int stride = 0;  // equal to width

  CAlphaMask() = default;
  CAlphaMask(int w, int h) : data(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0), 0), width(w), height(h), stride(w) {}
};
