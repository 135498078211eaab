#include "app/print_8900.h"

#include "platform/Printers.h"

#include <algorithm>

namespace lumvor {

void ExecutePrintForm(const std::string&, int32_t Width, int32_t Height, TPrintFormResult& Result) {
    // PENDING: the print setup window; the picture is placed at its size, reduced to fit the page, centred.
    Result = TPrintFormResult{};
    if (Width <= 0 || Height <= 0)
        return;
    const int pageWidth = Printer().PageWidth();
    const int pageHeight = Printer().PageHeight();
    int width = Width;
    int height = Height;
    if (width > pageWidth || height > pageHeight) {
        const double scale = std::min(double(pageWidth) / width, double(pageHeight) / height);
        width = std::max(1, int(width * scale));
        height = std::max(1, int(height * scale));
    }
    Result.Left = (pageWidth - width) / 2;
    Result.Top = (pageHeight - height) / 2;
    Result.Width = width;
    Result.Height = height;
    Result.ColorPrinter = 1;
}

}  // namespace lumvor
