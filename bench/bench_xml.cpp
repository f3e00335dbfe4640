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

// ---- linear costs: each pair is n against 10n; the times should differ by ten.

std::vector<char> Buffer(const std::string& text)
{
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    return buf;
}

// A user-control definition of n attributes grafted onto a page node of n.
void BM_CopyWideDefinition(benchmark::State& state)
{
    const int n = (int)state.range(0);
    std::string page = "<usercontrol type=\"wide\"", definition = "<usercontrol";
    for (int i = 0; i < n; ++i) {
        page += " p" + std::to_string(i) + "=\"page\"";
        definition += " p" + std::to_string(i + n / 2) + "=\"def\"";
    }
    page += "/>";
    definition += "/>";
    TPDAUIEngineXml control;
    std::vector<char> buf = Buffer(definition);
    control.Parse(buf.data());
    for (auto _ : state) {
        state.PauseTiming();
        TPDAUIEngineXml node;
        buf = Buffer(page);
        node.Parse(buf.data());
        state.ResumeTiming();
        node.CopyFrom(&control);
        benchmark::DoNotOptimize(node.attributes.Count());
    }
}
BENCHMARK(BM_CopyWideDefinition)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A stylesheet of one selector of n items.
void BM_ParseLongSelector(benchmark::State& state)
{
    std::string css;
    for (int i = 0; i < state.range(0); ++i)
        css += "box.c" + std::to_string(i % 100) + " ";
    css += "{ width: 1; }";
    for (auto _ : state) {
        TPDAUIEngineStyleSheet sheet;
        sheet.Parse(css.c_str());
        benchmark::DoNotOptimize(sheet.rules.Count());
    }
    state.counters["bytes"] = (double)css.size();
}
BENCHMARK(BM_ParseLongSelector)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

// A stylesheet of n rules.
void BM_ParseManyRules(benchmark::State& state)
{
    const std::string css = MakeStyleSheet((int)state.range(0));
    for (auto _ : state) {
        TPDAUIEngineStyleSheet sheet;
        sheet.Parse(css.c_str());
        benchmark::DoNotOptimize(sheet.rules.Count());
    }
}
BENCHMARK(BM_ParseManyRules)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

// A chain of n nested boxes styled by descendant rules.
void BM_ApplyStyleSheetDeep(benchmark::State& state)
{
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("box box label { a: 1; } label box { b: 2; } .c label { d: 3 !important; }");
    for (auto _ : state) {
        state.PauseTiming();
        TPDAUIEngineXml root;
        root.name = "box";
        TPDAUIEngineXml* at = &root;
        for (int i = 0; i < state.range(0); ++i) {
            TPDAUIEngineXml* child = new TPDAUIEngineXml;
            child->name = i % 2 ? "box" : "label";
            child->AddAttribute("id", i == 0 ? "deep" : "x");
            child->AddAttribute("class", "c");
            at->AddChild(child);
            at = child;
        }
        state.ResumeTiming();
        sheet.ApplyToXml(&root);
        state.PauseTiming();
        // Taken apart from the bottom, so that deleting needs no deep recursion.
        while (at != &root) {
            TPDAUIEngineXml* up = at->parent;
            up->children.RemoveAll();
            at = up;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ApplyStyleSheetDeep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A node of n attributes meets rules of n declarations, half of them important.
void BM_ApplyStyleSheetWide(benchmark::State& state)
{
    const int n = (int)state.range(0);
    std::string page = "<button";
    std::string css = "button {";
    for (int i = 0; i < n; ++i) {
        page += " a" + std::to_string(i) + "=\"1\"";
        css += " a" + std::to_string(i * 2) + ": 2" + (i % 2 ? " !important;" : ";");
    }
    page += "/>";
    css += " }";
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse(css.c_str());
    for (auto _ : state) {
        state.PauseTiming();
        TPDAUIEngineXml node;
        std::vector<char> buf = Buffer(page);
        node.Parse(buf.data());
        state.ResumeTiming();
        sheet.ApplyToXml(&node);
        benchmark::DoNotOptimize(node.attributes.Count());
    }
}
BENCHMARK(BM_ApplyStyleSheetWide)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// n start tags nested past the depth limit, read and written again.
void BM_ReadAndWriteCutTree(benchmark::State& state)
{
    std::string doc;
    for (int i = 0; i < state.range(0); ++i)
        doc += "<a>";
    for (auto _ : state) {
        std::vector<char> buf = Buffer(doc);
        TPDAUIEngineXml root;
        root.Parse(buf.data());
        benchmark::DoNotOptimize(root.ToString(0).Length());
    }
}
BENCHMARK(BM_ReadAndWriteCutTree)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// n values appended to a library vector with the smallest step.
void BM_VectorAppend(benchmark::State& state)
{
    for (auto _ : state) {
        Vector<int> v(4, 4);
        for (int i = 0; i < state.range(0); ++i)
            v.Add(i);
        benchmark::DoNotOptimize(v.Count());
    }
}
BENCHMARK(BM_VectorAppend)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

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
