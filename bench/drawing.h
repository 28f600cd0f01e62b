// A generated drawing for the benchmarks, shaped like an editor's output.
#pragma once

#include <random>
#include <string>

namespace pictara::bench {

// A drawing shaped like an editor's output: metadata, nested groups, paths with long data,
// styles, text; attributes on lines of their own, as drawing programs write them.
inline std::string MakeDrawing(size_t bytes) {
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

}  // namespace pictara::bench
