// The owner-data list with 100,000 rows: the first paint after the rows are set,
// and a scroll through the whole list page by page, in the report and icon views.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "ui/VListShowEx.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QScrollBar>

#include <string>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "vlist_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

constexpr int kRows = 100000;

void Describe(lumvor::TVListShowEx& lv) {
    lv.SetOwnerData(true);
    lv.Columns()->Add()->SetAutoSize(true);
    lv.Columns()->Add()->SetWidth(80);
    lv.OnData = [](QObject*, lumvor::TVListItem* item) {
        item->SetCaption("picture_" + std::to_string(item->Index()) + ".jpg");
        item->SubItems()->Add(std::to_string(item->Index() * 17 % 100000) + " KB");
    };
    lv.resize(640, 480);
}

void BM_FirstPaint(benchmark::State& state) {
    App();
    const auto style = static_cast<lumvor::TViewStyle>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        lumvor::TVListShowEx lv;
        lv.SetViewStyle(style);
        Describe(lv);
        lv.show();
        QApplication::processEvents();
        state.ResumeTiming();
        // Rows set, laid out and painted once.
        lv.Items()->SetCount(kRows);
        QApplication::processEvents();  // the views lay their rows out on a posted event
        lv.Viewport()->repaint();
        benchmark::DoNotOptimize(lv.SelCount());
    }
}
BENCHMARK(BM_FirstPaint)->Arg(lumvor::vsReport)->Arg(lumvor::vsIcon)->Arg(lumvor::vsList)->Unit(benchmark::kMillisecond);

void BM_ScrollThrough(benchmark::State& state) {
    App();
    lumvor::TVListShowEx lv;
    lv.SetViewStyle(static_cast<lumvor::TViewStyle>(state.range(0)));
    Describe(lv);
    lv.Items()->SetCount(kRows);
    lv.show();
    QApplication::processEvents();
    QAbstractItemView* view = lv.View();
    QScrollBar* bar = lv.ViewStyle() == lumvor::vsList ? view->horizontalScrollBar() : view->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->minimum());
        // Page by page to the end, painting each page.
        for (int v = bar->minimum(); v < bar->maximum(); v += std::max(1, bar->pageStep())) {
            bar->setValue(v);
            lv.Viewport()->repaint();
        }
        bar->setValue(bar->maximum());
        lv.Viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollThrough)->Arg(lumvor::vsReport)->Arg(lumvor::vsIcon)->Unit(benchmark::kMillisecond);

}  // namespace
