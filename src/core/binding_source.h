// The file the binder's warnings name for every record of the game, with
// fixed line numbers: the messages read the same however the bindings are
// laid out across the code.
#pragma once

constexpr const char* kBindingSource = ".\\src\\main";
