// The web options dialog, offscreen, with no peer to compare against: the
// dialog must open in under 100 ms and its preview repaint in under 10 ms.
//
//   BM_OpenDialog      TWebDlg built, shown (its first activation copies the
//                      options into the controls and paints the preview),
//                      then freed
//   BM_PreviewRepaint  one repaint of the 640-pixel preview with file details,
//                      3-D navigation buttons and the home link
#include "explorer/WebDlg.h"
#include "explorer/WebOptions.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

using namespace lumvor;

namespace {

void BM_OpenDialog(benchmark::State& state) {
    xplr8900::SetWebDefaults(xplr8900::HTMLset9, 1);
    for (auto _ : state) {
        TWebDlg dialog;
        dialog.show();
        QApplication::processEvents();
    }
}

void BM_PreviewRepaint(benchmark::State& state) {
    THTMLSet& o = xplr8900::HTMLset9;
    xplr8900::SetWebDefaults(o, 2);
    o.SetFileDetails(true);
    o.SetNavButtons(true);
    o.SetHomeURL(true);
    TWebDlg dialog;
    dialog.show();
    dialog.TestFont->setFixedWidth(640);
    QApplication::processEvents();
    for (auto _ : state)
        dialog.TestFont->repaint();
}

BENCHMARK(BM_OpenDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("LUMVOR_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
