// The XML reader on the inputs the plug-in meets: the 100 KB head of a drawing that the size
// lookup reads before every conversion, and a large drawing read whole (source window, Format).
// expat parses the same bytes in the same run as the reference for throughput.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <random>
#include <string>

#include "svginfo/svg_info.h"
#include "svginfo/xml_dom.h"

namespace {

// A drawing shaped like an editor's output: metadata, nested groups, paths with long data,
// styles, text; attributes on lines of their own, as drawing programs write them.
std::string MakeDrawing(size_t bytes) {
  std::mt19937 rng(7);
  auto num = [&](int range) { return std::to_string(static_cast<int>(rng() % static_cast<unsigned>(range))); };
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
      "<!-- Created with a drawing program -->\n"
      "<svg\n   xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n   xmlns:cc=\"http://creativecommons.org/ns#\"\n"
      "   xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"\n   xmlns=\"http://www.w3.org/2000/svg\"\n"
      "   width=\"210mm\"\n   height=\"297mm\"\n   viewBox=\"0 0 210 297\"\n   version=\"1.1\">\n"
      "  <metadata>\n    <rdf:RDF>\n      <cc:Work rdf:about=\"\">\n        <dc:format>image/svg+xml</dc:format>\n"
      "        <dc:title>Benchmark &amp; map</dc:title>\n      </cc:Work>\n    </rdf:RDF>\n  </metadata>\n";
  int id = 0;
  while (s.size() < bytes) {
    s += "  <g\n     id=\"layer" + std::to_string(++id) + "\"\n     transform=\"translate(" + num(100) + "," + num(100) +
         ")\">\n";
    for (int p = 0; p < 20; ++p) {
      s += "    <path\n       style=\"fill:#" + num(10) + "a" + num(10) + "f" + num(10) +
           "0;stroke:#000000;stroke-width:0.26px;stroke-opacity:1\"\n       d=\"m " + num(200) + "," + num(200);
      const int segments = 10 + static_cast<int>(rng() % 60);
      for (int k = 0; k < segments; ++k) s += " c " + num(50) + "." + num(100) + "," + num(50) + " -" + num(20) + "," + num(9);
      s += " z\"\n       id=\"path" + std::to_string(id * 100 + p) + "\" />\n";
    }
    s += "    <text\n       x=\"" + num(200) + "\"\n       y=\"" + num(280) + "\"><tspan>Label " + num(1000) +
         " &lt;" + num(9) + "&gt;</tspan></text>\n  </g>\n";
  }
  s += "</svg>\n";
  return s;
}

const std::string& Drawing() {
  static const std::string text = MakeDrawing(20 << 20);
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
