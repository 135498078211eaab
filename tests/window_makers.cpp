// The window tests run with the makers of the windows made on demand (the slide
// album, the zip window) registered, as the program start registers them.
#include "app/lumv8900.h"

namespace {

const bool WindowMakersRegistered = (lumvor::RegisterWindowMakers(), true);

}  // namespace
