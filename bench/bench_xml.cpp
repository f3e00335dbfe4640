// Skin XML: reading a page with the engine's reader against pugixml, and applying
// a stylesheet to a page tree.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <malloc.h>

#include <cstring>
#include <string>
#include <vector>

#include "uiengine/core/TPDAUIEngineStyleSheet.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

const char* const kTags[] = {"button", "label", "image", "checkbox", "textbox", "separator"};
const char* const kClasses[] = {"big", "small", "title", "list", "bar", "accent", "dim", "wide"};

// One box of a page: a few controls and, above the last level, nested boxes.
void AddBox(std::string& out, int depth, int maxDepth, int& counter, int& nodes, int nodeLimit)
{
    std::string indent(depth, '\t');
    int id = counter++;
    ++nodes;
    out += indent + "<box id=\"box" + std::to_string(id) + "\" orient=\"" + (id % 2 ? "vertical" : "horizontal") +
           "\" flex=\"1\" class=\"" + kClasses[id % 8] + "\" padding=\"4 4 4 4\" background=\"#20" +
           std::to_string(10 + id % 80) + "20\">\n";
    if (id % 7 == 0)
        out += indent + "\t<!-- section " + std::to_string(id) + " -->\n";
    for (int i = 0; i < 4 && nodes < nodeLimit; ++i) {
        int n = counter++;
        ++nodes;
        const char* tag = kTags[n % 6];
        out += indent + "\t<" + tag + " id=\"" + tag + std::to_string(n) + "\" class=\"" + kClasses[(n / 3) % 8] +
               "\" onCommand=\"cmd" + std::to_string(n) + "\" fontSize=\"" + std::to_string(12 + n % 10) + "\"";
        if (n % 3 == 0) {
            out += std::string(">Text of item ") + std::to_string(n) + " &amp; more</" + tag + ">\n";
        } else {
            out += " label=\"Item " + std::to_string(n) + " &lt;x&gt;\" image=\"icon" + std::to_string(n % 40) +
                   "\" margin=\"2\"/>\n";
        }
    }
    if (depth < maxDepth)
        for (int i = 0; i < 2 && nodes < nodeLimit; ++i)
            AddBox(out, depth + 1, maxDepth, counter, nodes, nodeLimit);
    out += indent + "</box>\n";
}

// A skin page of at least minBytes, or of about nodeLimit elements.
std::string MakePage(size_t minBytes, int nodeLimit)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<!-- generated page -->\n"
                      "<page id=\"pageBench\" width=\"480\" height=\"800\" background=\"#101010\">\n";
    int counter = 0, nodes = 1;
    while (out.size() < minBytes && nodes < nodeLimit)
        AddBox(out, 1, 5, counter, nodes, nodeLimit);
    out += "</page>\n";
    return out;
}

// count rules of the kinds skins write.
std::string MakeStyleSheet(int count)
{
    std::string css = "/* generated stylesheet */\n";
    for (int i = 0, rules = 0; rules < count; ++i) {
        const char* tag = kTags[i % 6];
        const char* cls = kClasses[(i / 6) % 8];
        ++rules;
        switch (i % 6) {
        case 0: css += std::string(tag) + " {\n\tfontFamily: arial;\n\tforeground: #FFFFFF;\n}\n"; break;
        case 1: css += std::string(tag) + "." + cls + " { fontSize: " + std::to_string(10 + i % 9) + "; }\n"; break;
        case 2: css += "box." + std::string(cls) + " " + tag + " { margin: 3; padding: 2 }\n"; break;
        case 3: css += "#" + std::string(tag) + std::to_string(i * 7) + " { label: Rule " + std::to_string(i) + " }\n"; break;
        case 4:
            if (rules < count) {  // a selector list: two rules
                css += "box." + std::string(cls) + ", ";
                ++rules;
            }
            css += std::string(tag) + "." + cls + " { border: Solid 1 #808080 !important; }\n";
            break;
        case 5: css += "page box " + std::string(tag) + ":Landscape { minimumWidth: 120; }\n"; break;
        }
    }
    return css;
}

int CountElements(const TPDAUIEngineXml* n)
{
    int count = n->name == "#text" ? 0 : 1;
    for (int i = 0; i < n->children.Count(); ++i)
        count += CountElements(n->children[i]);
    return count;
}

const std::string& Page200K()
{
    static const std::string page = MakePage(200 * 1024, 1 << 30);
    return page;
}

void BM_ParsePage_Engine(benchmark::State& state)
{
    const std::string& page = Page200K();
    std::vector<char> buf(page.size() + 1);
    for (auto _ : state) {
        std::memcpy(buf.data(), page.c_str(), page.size() + 1);
        TPDAUIEngineXml root;
        benchmark::DoNotOptimize(root.Parse(buf.data()));
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)page.size());
}
BENCHMARK(BM_ParsePage_Engine)->Unit(benchmark::kMicrosecond);

void BM_ParsePage_Pugixml(benchmark::State& state)
{
    const std::string& page = Page200K();
    std::vector<char> buf(page.size() + 1);
    for (auto _ : state) {
        std::memcpy(buf.data(), page.c_str(), page.size() + 1);
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_buffer_inplace(buf.data(), page.size()));
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)page.size());
}
BENCHMARK(BM_ParsePage_Pugixml)->Unit(benchmark::kMicrosecond);

// 300 rules over a 2,000-node page (a fresh tree each time, read outside the timing).
void BM_ApplyStyleSheet(benchmark::State& state)
{
    const std::string page = MakePage(1 << 30, 2000);
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse(MakeStyleSheet(300).c_str());
    std::vector<char> buf(page.size() + 1);
    int nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(buf.data(), page.c_str(), page.size() + 1);
        TPDAUIEngineXml* root = new TPDAUIEngineXml;
        root->Parse(buf.data());
        state.ResumeTiming();
        sheet.ApplyToXml(root);
        state.PauseTiming();
        if (!nodes)
            nodes = CountElements(root);
        delete root;
        state.ResumeTiming();
    }
    state.counters["rules"] = sheet.rules.Count();
    state.counters["nodes"] = nodes;
}
BENCHMARK(BM_ApplyStyleSheet)->Unit(benchmark::kMicrosecond);

void BM_ParseStyleSheet(benchmark::State& state)
{
    const std::string css = MakeStyleSheet(300);
    for (auto _ : state) {
        TPDAUIEngineStyleSheet sheet;
        sheet.Parse(css.c_str());
        benchmark::DoNotOptimize(sheet.rules.Count());
    }
}
BENCHMARK(BM_ParseStyleSheet)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Keep freed memory in the process: otherwise each iteration pays for giving
    // pages back to the system and faulting them in again, which swamps both readers.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
