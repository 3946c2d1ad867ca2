// A font handle that deletes its font when it goes.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kavren {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

}  // namespace kavren
