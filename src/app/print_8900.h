// The print setup window: places the picture on the printer's page.
//
// GUI thread only.
#pragma once

#include <cstdint>
#include <string>

namespace lumvor {

// Where the picture goes on the page, in printer pixels. Top -1 = cancelled
// (the only field written then).
struct TPrintFormResult {
    int32_t Top = -1;
    int32_t Left = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t ColorPrinter = 0;
    uint8_t Reserved = 0;
};

// Lets the user place a Width x Height picture named FileName on the page of
// the program's printer.
void ExecutePrintForm(const std::string& FileName, int32_t Width, int32_t Height, TPrintFormResult& Result);

}  // namespace lumvor
