// The class library's printer object over QPrinter.
//
// One printer serves the program. It prints to the system's default printer,
// or into a PDF file when an output file is named (the print tests do that).
// Pages are painted in printer pixels at the printer's resolution, in colour.
// GUI thread only.
#pragma once

#include <QPainter>

#include "platform/SysUtils.h"

#include <memory>
#include <string>

class QPrinter;

namespace lumvor {

LUMVOR_EXCEPTION(EPrinter, Exception);

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The job's name as the print queue shows it.
    std::string Title;

    // True when a raster device is there: an output file is named or the
    // system has a default printer.
    bool Available() const;
    // Makes the system's default printer of this moment the printer (a printer
    // added while the program runs is found); a named output file stays. False
    // when there is neither.
    bool SelectDefaultPrinter();
    // Names a PDF file to print into ("" = the system's default printer).
    void SetOutputFileName(const std::string& Name);
    std::string OutputFileName() const;

    // Starts a job; raises EPrinter when one runs or the device refuses it.
    void BeginDoc();
    // Finishes the job (the PDF file is complete afterwards).
    void EndDoc();
    // Drops the job.
    void Abort();
    bool Printing() const { return painter_ != nullptr; }

    // The page's painter while a job runs.
    QPainter& Canvas();
    // The printable area of the page in printer pixels (the canvas's extent) and
    // the resolution in dots per inch, the same both ways.
    int PageWidth() const;
    int PageHeight() const;
    int Resolution() const;
    // The page's orientation as the page layout holds it.
    bool Landscape() const;
    // True when the printer prints in colour.
    bool ColorPrinter() const;

    QPrinter& Device() { return *printer_; }

private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
};

// The program's printer.
TPrinter& Printer();

}  // namespace lumvor
