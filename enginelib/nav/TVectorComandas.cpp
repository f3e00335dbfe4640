#include "enginelib/nav/TVectorComandas.h"

#include <fstream>
#include <sstream>

#include <pugixml.hpp>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/LibraryLog.h"
#include "enginelib/base/TFitxUtils.h"

namespace {
// Deeper trees are no menus anyone can use; the limit keeps hostile files cheap.
const int kMaximumDepth = 16;
const long long kMaximumFileSize = 1 << 20;

std::string ToUtf8(const DString& text)
{
    const std::u16string wide = CodePage::ToUtf16(text.c_str(), text.Length(), text.GetCodepage());
    std::string out;
    CodePage::FromUtf16(wide.data(), (int)wide.size(), CodePage::Utf8, out);
    return out;
}

std::string FromUtf8(const char* text)
{
    const std::u16string wide = CodePage::ToUtf16(text, -1, CodePage::Utf8);
    std::string out;
    CodePage::FromUtf16(wide.data(), (int)wide.size(), CodePage::Default(), out);
    return out;
}

bool ReadItems(const pugi::xml_node& parent, TVectorComandas& tree, int depth, std::string& error)
{
    if (depth > kMaximumDepth) {
        error = "sub-menus nested deeper than " + std::to_string(kMaximumDepth);
        return false;
    }
    for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        if (std::string(node.name()) != "item") {
            error = std::string("unexpected <") + node.name() + ">";
            return false;
        }
        const pugi::xml_attribute n = node.attribute("n");
        if (!n) {
            error = "an item without its command number";
            return false;
        }
        TItemComanda* item = tree.Anyade_Comanda(n.as_int(), false, FromUtf8(node.attribute("name").value()).c_str());
        item->SetParametro(FromUtf8(node.attribute("param").value()).c_str());
        item->SetIcono(FromUtf8(node.attribute("icon").value()).c_str());
        item->SetVisibilidad(FromUtf8(node.attribute("hidden").as_bool() ? "hidden" : "").c_str());
        item->SetInvertido(node.attribute("invert").as_bool());
        if (node.attribute("submenu").as_bool() || node.child("item"))
            if (!ReadItems(node, item->CreaSubMenu(), depth + 1, error))
                return false;
    }
    return true;
}

void WriteItems(const TVectorComandas& tree, pugi::xml_node& parent)
{
    for (int i = 0; i < tree.Count(); ++i) {
        const TItemComanda* item = tree[i];
        pugi::xml_node node = parent.append_child("item");
        node.append_attribute("n") = item->Comanda();
        node.append_attribute("name") = ToUtf8(item->Nombre()).c_str();
        if (!item->Parametro().IsEmpty())
            node.append_attribute("param") = ToUtf8(item->Parametro()).c_str();
        if (!item->Icono().IsEmpty())
            node.append_attribute("icon") = ToUtf8(item->Icono()).c_str();
        if (item->Visibilidad() == "hidden")
            node.append_attribute("hidden") = 1;
        if (item->Invertido())
            node.append_attribute("invert") = 1;
        if (item->SubMenu()) {
            node.append_attribute("submenu") = 1;
            WriteItems(*item->SubMenu(), node);
        }
    }
}
} // namespace

TItemComanda* TVectorComandas::Anyade_Comanda(TComandasLumorGPS command, bool, const char* name,
                                              const char* parameter, const char* icon, int position, bool inverted)
{
    const std::string id = "{C" + std::to_string(command) + "}";
    auto* item = new TItemComanda(command, name ? name : id.c_str());
    if (parameter)
        item->SetParametro(parameter);
    if (icon)
        item->SetIcono(icon);
    item->SetInvertido(inverted);
    items_.Insert(item, position);
    return item;
}

void TVectorComandas::Reset()
{
    items_.RemoveAll();
    if (defaults_)
        defaults_(*this);
}

bool TVectorComandas::FromXml(const std::string& text, std::string& error)
{
    items_.RemoveAll();
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size());
    if (!r) {
        error = std::string(r.description()) + " at byte " + std::to_string(r.offset);
        return false;
    }
    const pugi::xml_node root = doc.child("tree");
    if (!root) {
        error = "no <tree>";
        return false;
    }
    if (!ReadItems(root, *this, 0, error)) {
        items_.RemoveAll();
        return false;
    }
    return true;
}

std::string TVectorComandas::ToXml() const
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("tree");
    WriteItems(*this, root);
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool TVectorComandas::Lee(std::string* error)
{
    Reset();
    if (file_.empty())
        return true;
    std::ifstream in(file_, std::ios::binary);
    if (!in)
        return true;  // never saved: the defaults
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string why;
    if (text.size() > (size_t)kMaximumFileSize)
        why = "too large for a command tree";
    else if (FromXml(text, why))
        return true;
    Reset();
    const std::string message = file_ + ": " + why;
    LibraryLog((message + "; the built-in tree is used").c_str());
    if (error)
        *error = message;
    return false;
}

bool TVectorComandas::GuardaXML(std::string* error) const
{
    if (file_.empty())
        return true;
    const size_t slash = file_.find_last_of('/');
    if (slash != std::string::npos)
        TFitxUtils::Crea_Carpeta(file_.substr(0, slash).c_str());
    const std::string temp = file_ + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << ToXml();
        if (!out.flush()) {
            if (error)
                *error = file_ + ": cannot write";
            return false;
        }
    }
    if (std::rename(temp.c_str(), file_.c_str()) != 0) {
        TFitxUtils::Borra_Archivo(temp.c_str());
        if (error)
            *error = file_ + ": cannot write";
        return false;
    }
    return true;
}
