// The XML reader on the inputs the plug-in meets: the 100 KB head of a drawing that the size
// lookup reads before every conversion, and a large drawing read whole (source window, Format).
// expat parses the same bytes in the same run as the reference for throughput.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <random>
#include <string>

#include "drawing.h"
#include "svginfo/svg_info.h"
#include "svginfo/xml_dom.h"

namespace {

const std::string& Drawing() {
  static const std::string text = pictara::bench::MakeDrawing(20 << 20);
  return text;
}

const std::string& Head() {
  static const std::string head = Drawing().substr(0, 102400);
  return head;
}

long CountElements(const pictara::TXmlNode* node) {
  long n = node->ElementType() == pictara::xeElement;
  for (int i = 0; i < node->NodeCount(); ++i) n += CountElements(node->Nodes(i));
  return n;
}

void BM_ReaderBuildsTree(benchmark::State& state) {
  const std::string& text = Drawing();
  long elements = 0;
  for (auto _ : state) {
    pictara::TXmlDocument doc;
    doc.LoadFromStream(text);
    benchmark::DoNotOptimize(doc.Root());
    state.PauseTiming();
    elements = doc.Root() ? CountElements(doc.Root()) : 0;  // proves the whole tree was built
    state.ResumeTiming();
  }
  state.counters["elements"] = static_cast<double>(elements);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// expat with handlers that only count, so that its figure is parsing, not our work.
struct Counts {
  long elements = 0;
  long textBytes = 0;
};

void BM_ExpatParses(benchmark::State& state) {
  const std::string& text = Drawing();
  long elements = 0;
  for (auto _ : state) {
    Counts counts;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &counts);
    XML_SetElementHandler(
        parser, [](void* d, const XML_Char*, const XML_Char**) { ++static_cast<Counts*>(d)->elements; },
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void* d, const XML_Char*, int len) {
      static_cast<Counts*>(d)->textBytes += len;
    });
    if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE) != XML_STATUS_OK)
      state.SkipWithError(XML_ErrorString(XML_GetErrorCode(parser)));
    XML_ParserFree(parser);
    benchmark::DoNotOptimize(counts.elements);
    elements = counts.elements;
  }
  state.counters["elements"] = static_cast<double>(elements);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_ReadSvgInfoHead(benchmark::State& state) {
  const std::string& head = Head();
  for (auto _ : state) {
    pictara::TSVGInfo info;
    if (!pictara::ReadSvgInfo(head, info)) state.SkipWithError("no SVG root in the head");
    benchmark::DoNotOptimize(info.IntWidth);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(head.size()));
}

BENCHMARK(BM_ReaderBuildsTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpatParses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSvgInfoHead)->Unit(benchmark::kMicrosecond);

}  // namespace
