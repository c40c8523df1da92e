#include <benchmark/benchmark.h>

#include "editor/NotesWriter.h"
#include "platform/Windows1252.h"
#include "shared/LibParser.h"
#include "shared/NotesReader.h"

namespace {

// A model of `count` slides with the titles, notes and timings a real talk has.
PresentationModel makeModel(qint32 count) {
  PresentationModel model;
  model.PresentationTitle = QStringLiteral("Quarterly review");
  model.PresentationFileName = QStringLiteral("review.ppt");
  model.PresentationPath = QStringLiteral("/home/presenter/Talks/review.ppt");
  model.SlideCount = count;
  model.TotalTime = -1;
  model.Slides.resize(static_cast<std::size_t>(count) + 1);
  for (qint32 i = 1; i <= count; ++i) {
    SlideRecord& slide = model.Slides[static_cast<std::size_t>(i)];
    slide.Title = QStringLiteral("Slide %1: results by region").arg(i);
    slide.Note = QStringLiteral(
        "Open with the headline figure.\r\nThen walk through each region, left to right,\r\n"
        "and pause for questions before the next slide.");
    slide.DurationMinutes = i % 5;
    slide.DurationSeconds = (i * 7) % 60;
    slide.Ascending = i % 2 == 0;
    slide.Warning = i % 3 == 0;
  }
  return model;
}

void BM_ParseNotes(benchmark::State& state) {
  const auto count = static_cast<qint32>(state.range(0));
  const QString text = BuildNotesXml(makeModel(count));
  for (auto _ : state) {
    PresentationModel model;
    LibParser parser;
    ParseNotesXml(text, model, parser);
    benchmark::DoNotOptimize(model.Slides.data());
  }
  state.SetComplexityN(count);
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseNotes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_BuildNotes(benchmark::State& state) {
  const auto count = static_cast<qint32>(state.range(0));
  const PresentationModel model = makeModel(count);
  for (auto _ : state) {
    QString text = BuildNotesXml(model);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetComplexityN(count);
}
BENCHMARK(BM_BuildNotes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_EncodeNotes(benchmark::State& state) {
  const QString text = BuildNotesXml(makeModel(static_cast<qint32>(state.range(0))));
  for (auto _ : state) {
    QByteArray bytes = windows1252::encode(text);
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_EncodeNotes)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
