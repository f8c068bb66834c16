#include "attributes/values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace zemba {

bool IsIntegerFieldType(std::uint8_t t) {
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftLargeint;
}

bool IsNumericFieldType(std::uint8_t t) {
    return IsIntegerFieldType(t) || t == ftFloat || t == ftCurrency || t == ftDateTime;
}

const char* FieldTypeWord(std::uint8_t t) {
    if (IsIntegerFieldType(t)) return "Integer";
    if (IsNumericFieldType(t)) return "Float";
    return "String";
}

bool HasField(const LayerStore& store, int layer, int field) {
    if (layer < 1 || layer > store.LayerCount ||
        static_cast<std::size_t>(layer) >= store.ShapeLayers.size())
        return false;
    const ShpLayer& L = store.ShapeLayers[layer];
    return field >= 0 && static_cast<std::size_t>(field) < L.Fields.size();
}

const std::string& ValueOf(const ShpLayer& layer, int shape, int field) {
    static const std::string kEmpty;
    if (shape < 0 || static_cast<std::size_t>(shape) >= layer.Shapes.size() || field < 0) return kEmpty;
    const std::vector<std::string>& v = layer.Shapes[shape].Values;
    return static_cast<std::size_t>(field) < v.size() ? v[field] : kEmpty;
}

bool ParseNumber(const std::string& text, bool integer, double& out) {
    const char* b = text.data();
    const char* e = b + text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(*b))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(e[-1]))) --e;
    if (b == e) return false;
    if (*b == '+') ++b;
    if (integer) {
        long long v = 0;
        auto r = std::from_chars(b, e, v);
        if (r.ec != std::errc() || r.ptr != e) return false;
        out = static_cast<double>(v);
        return true;
    }
    double v = 0;
    auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e) return false;
    out = v;
    return true;
}

namespace {

int CaseInsensitiveCompare(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool TextLess(const std::string& a, const std::string& b) {
    const int c = CaseInsensitiveCompare(a, b);
    return c != 0 ? c < 0 : a < b;
}

}  // namespace

DistinctValueList DistinctValues(const LayerStore& store, int layer, int field) {
    DistinctValueList out;
    if (!HasField(store, layer, field)) return out;
    const ShpLayer& L = store.ShapeLayers[layer];
    const std::uint8_t type = L.Fields[field].DataType;
    out.Numeric = IsNumericFieldType(type);
    const bool integer = IsIntegerFieldType(type);
    const long long n = std::min<long long>(L.NumRecords, static_cast<long long>(L.Shapes.size()) - 1);

    struct Item {
        const std::string* text;
        double number;
        bool isNumber;
    };
    std::vector<Item> items;
    items.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (long long i = 1; i <= n; ++i) {
        const std::string& t = ValueOf(L, static_cast<int>(i), field);
        Item it{&t, 0, false};
        if (out.Numeric) {
            it.isNumber = ParseNumber(t, integer, it.number);
            if (!it.isNumber) {
                ++out.Skipped;
                continue;
            }
        }
        items.push_back(it);
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        if (a.isNumber != b.isNumber) return a.isNumber;
        if (a.isNumber && a.number != b.number) return a.number < b.number;
        return TextLess(*a.text, *b.text);
    });
    for (const Item& it : items) {
        if (!out.Values.empty() && out.Values.back() == *it.text) continue;
        // Equal texts sort together, so one look at the last kept value is
        // enough; the map keeps the first position if a text came back.
        out.Position.emplace(*it.text, static_cast<int>(out.Values.size()));
        out.Values.push_back(*it.text);
    }
    return out;
}

}  // namespace zemba
