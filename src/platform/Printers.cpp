#include "platform/Printers.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace lumvor {

TPrinter::TPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    // Qt's PDF output would otherwise print in shades of grey.
    printer_->setColorMode(QPrinter::Color);
    printer_->setFullPage(true);
}

TPrinter::~TPrinter() {
    if (painter_)
        painter_->end();
}

bool TPrinter::Available() const {
    return !printer_->outputFileName().isEmpty() || !QPrinterInfo::defaultPrinter().isNull();
}

bool TPrinter::SelectDefaultPrinter() {
    if (!printer_->outputFileName().isEmpty())
        return true;
    const QPrinterInfo system = QPrinterInfo::defaultPrinter();
    if (system.isNull())
        return false;
    printer_->setOutputFormat(QPrinter::NativeFormat);
    printer_->setPrinterName(system.printerName());
    printer_->setColorMode(QPrinter::Color);
    return true;
}

void TPrinter::SetOutputFileName(const std::string& Name) {
    printer_->setOutputFileName(QString::fromStdString(Name));
    printer_->setOutputFormat(Name.empty() ? QPrinter::NativeFormat : QPrinter::PdfFormat);
    printer_->setColorMode(QPrinter::Color);
}

std::string TPrinter::OutputFileName() const { return printer_->outputFileName().toStdString(); }

void TPrinter::BeginDoc() {
    if (painter_)
        throw EPrinter("Printing in progress");
    printer_->setDocName(QString::fromStdString(Title));
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer_.get()))
        throw EPrinter("Printer selected is not valid");
    painter_ = std::move(painter);
}

void TPrinter::EndDoc() {
    if (!painter_)
        throw EPrinter("Printer is not currently printing");
    painter_->end();
    painter_.reset();
}

void TPrinter::Abort() {
    if (!painter_)
        return;
    printer_->abort();
    painter_->end();
    painter_.reset();
}

QPainter& TPrinter::Canvas() {
    if (!painter_)
        throw EPrinter("Printer is not currently printing");
    return *painter_;
}

int TPrinter::PageWidth() const { return printer_->pageLayout().paintRectPixels(printer_->resolution()).width(); }
int TPrinter::PageHeight() const { return printer_->pageLayout().paintRectPixels(printer_->resolution()).height(); }
int TPrinter::Resolution() const { return printer_->resolution(); }
bool TPrinter::Landscape() const { return printer_->pageLayout().orientation() == QPageLayout::Landscape; }
bool TPrinter::ColorPrinter() const { return printer_->colorMode() == QPrinter::Color; }

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}

}  // namespace lumvor
