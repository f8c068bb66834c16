#include "output/legend.h"

#include "core/file_io.h"
#include "mapping/map_commands.h"

namespace zemba {

const char* const kLegendTextNames[8] = {"Title, series (top)",    "Author (top)", "Title, series (bottom)",
                                         "Author (bottom)",        "Source, projection, etc.",
                                         "Feature Text",           "North Arrow",  "Contour Interval"};

const char* const kLegendBoxNames[14] = {"Title, series (top)", "Author (top)",  "Title, series (bottom)",
                                         "Author (bottom)",     "Source, projection", "Feature Text",
                                         "North Arrow Text",    "Contour Interval",   "Map Location",
                                         "Grid (s)",            "North Arrow Bitmap", "Legend",
                                         "Scale Bars",          "Feature Bitmap"};

const char* const kLegendBitmapNames[5] = {"North Arrow", "Legend", "Map Location", "Scale bars", "Feature Bitmap"};

const char* const kStateNames[kStateCount] = {
    "Alaska ",         "Alabama ",      "Arkansas ",       "Arizona ",        "California ",
    "Colorado ",       "Connecticut ",  "Delaware ",       "District of Columbia ", "Florida ",
    "Georgia ",        "Hawaii ",       "Idaho ",          "Iowa ",           "Illinois ",
    "Indiana ",        "Kansas ",       "Kentucky ",       "Louisiana ",      "Maine ",
    "Massachusetts ",  "Maryland ",     "Michigan ",       "Minnesota ",      "Missouri ",
    "Mississippi ",    "Montana ",      "North Carolina ", "North Dakota ",   "Nebraska ",
    "New Hampshire ",  "New Jersey ",   "New Mexico ",     "Nevada ",         "New York ",
    "Ohio ",           "Oklahoma ",     "Oregon ",         "Pennsylvania ",   "Rhode Island ",
    "South Carolina ", "South Dakota ", "Tennessee ",      "Texas ",          "Utah ",
    "Vermont ",        "Virginia ",     "Wisconsin ",      "Washington ",     "West Virginia ",
    "Wyoming ",        "Puerto Rico ",  "Virgin Islands"};

const char* const kCountryNames[kCountryCount] = {
    "Luxembourg", "Switzerland", "France", "Korea, Republic of", "Cyprus", "Japan", "Bhutan",
    "Western Sahara", "Qatar", "United Arab Emirates", "Taiwan", "Mali", "Oman", "Niger", "Chad", "Vietnam",
    "Cuba", "Laos", "United States", "China", "Haiti", "Dominican Republic", "Philippines", "Puerto Rico",
    "Jamaica", "Burkina Faso", "Nicaragua", "Cambodia", "Costa Rica", "Central African Republic",
    "Sierra Leone", "Sri Lanka", "Panama", "Guyana", "Liberia", "Zaire", "Tanzania, United Republic of",
    "Rwanda", "Burundi", "Angola", "Zambia", "Malawi", "Bolivia", "Mozambique", "Madagascar", "Zimbabwe",
    "Namibia", "Chile", "Botswana", "Paraguay", "South Africa", "Swaziland", "Lesotho", "New Zealand",
    "Argentina", "Iceland", "Estonia", "Latvia", "Lithuania", "Byelarus", "United Kingdom", "Kazakhstan",
    "Ireland", "Ukraine", "Mongolia", "Belgium", "Slovakia", "Hungary", "Moldova", "Romania", "Italy",
    "Slovenia", "Croatia", "Serbia", "Uzbekistan", "Bosnia and Herzegovina", "Bulgaria", "Spain", "Georgia",
    "Montenegro", "Kyrgyzstan", "Korea, Democratic People's Republic of", "Turkmenistan", "Albania",
    "Macedonia", "Portugal", "Turkey", "Azerbaijan", "Greece", "Armenia", "Tajikistan", "Iran", "Afghanistan",
    "Iraq", "Syria", "Tunisia", "Algeria", "Morocco", "Lebanon", "Mexico", "Kuwait", "Burma", "Bangladesh",
    "Thailand", "Belize", "Guatemala", "Honduras", "El Salvador", "Colombia", "Benin", "Ghana", "Togo",
    "Ivory Coast", "Malaysia", "Suriname", "French Guiana", "Congo", "Gabon", "Equatorial Guinea", "Ecuador",
    "Peru", "Brazil", "Papua New Guinea", "Australia", "Uruguay", "Denmark", "Germany", "Poland",
    "Netherlands", "Czech Republic", "Austria", "Nigeria", "Cameroon", "Pakistan", "India", "Jordan", "Libya",
    "Israel", "Saudi Arabia", "Egypt", "Nepal", "Mauritania", "Sudan", "Yemen", "Eritrea", "Senegal",
    "Ethiopia", "Gambia, The", "Djibouti", "Guinea-Bissau", "Guinea", "Venezuela", "Somalia", "Trinidad",
    "Brunei", "Kenya", "Uganda", "Indonesia", "Greenland", "Canada", "Russia", "Norway", "Finland", "Sweden",
    "Antarctica"};

const char* const kDefaultState = "District of Columbia ";
const char* const kDefaultCountry = "Korea, Democratic People's Republic of";
const char* const kGridNames[3] = {"None", "Lat Long", "UTM Grid"};
const char* const kDrawnByProgram = "(drawn by ZEMBA)";

namespace {

// Paper size (0.1 mm) a program-drawn element starts with.
constexpr int kDrawnArrowW = 120, kDrawnArrowH = 220;
constexpr int kDrawnScaleW = 700, kDrawnScaleH = 140;

bool Blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

int BitmapEntryElement(int entry) {
    static const int kElement[5] = {0, 1, 3, 4, 5};
    return entry >= 0 && entry < 5 ? kElement[entry] : -1;
}

std::string& BitmapEntryFile(LegendRec& l, int entry) {
    switch (entry) {
        case 0: return l.NorthArrowFile;
        case 1: return l.LegendFile;
        case 2: return l.LocationFile;
        case 3: return l.ScaleBarFile;
        default: return l.FeatureFile;
    }
}

const std::string& BitmapEntryFile(const LegendRec& l, int entry) {
    return BitmapEntryFile(const_cast<LegendRec&>(l), entry);
}

bool TextElementEmpty(const LegendRec& l, int e) {
    if (e < 0 || e >= 8) return true;
    const std::int64_t n = std::min<std::int64_t>(l.LineCounts[e], static_cast<std::int64_t>(l.Lines[e].size()));
    if (n <= 0 || l.Lines[e][0] == ".") return true;
    for (std::int64_t i = 0; i < n; ++i)
        if (!Blank(l.Lines[e][static_cast<std::size_t>(i)])) return false;
    return true;
}

bool NamesFile(const std::string& field) { return !field.empty() && field != "." && field != kDrawnByProgram; }

bool FileElementPresent(const std::string& field) { return NamesFile(field) && FileExists(field); }

bool PictureExtensionAccepted(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    const std::string ext = UpperCase(path.substr(dot));
    return ext == ".BMP" || ext == ".PNG" || ext == ".JPG" || ext == ".JPEG";
}

std::array<bool, 14> CheckMapLegendRec(const LegendRec& l) {
    std::array<bool, 14> boxes{};
    for (int e = 0; e < 8; ++e) boxes[e] = !TextElementEmpty(l, e);
    boxes[8] = FileElementPresent(l.LocationFile);
    boxes[9] = l.GridName == kGridNames[1] || l.GridName == kGridNames[2];
    boxes[10] = FileElementPresent(l.NorthArrowFile) || l.NorthArrowFile == kDrawnByProgram;
    boxes[11] = FileElementPresent(l.LegendFile);
    boxes[12] = FileElementPresent(l.ScaleBarFile) || l.ScaleBarFile == kDrawnByProgram;
    boxes[13] = FileElementPresent(l.FeatureFile);
    return boxes;
}

std::vector<std::string> MemoLines(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    // A memo ending in a line break has no empty line after it.
    if (Blank(text)) lines.clear();
    return lines;
}

void SyncGridKind(LegendRec& l) {
    for (int k = 0; k < 3; ++k)
        if (l.GridName == kGridNames[k]) l.GridKind = k;
}

LegendCommands::LegendCommands(LayerStore& store, MapProject& project, Prompter& prompter, MapCommands* maps)
    : store_(store), project_(project), prompter_(prompter), maps_(maps) {
    auto f = std::make_shared<FontDesc>();
    f->Family = "Arial";
    f->PointSize = 10;
    MemoFont = f;
}

void LegendCommands::FormShow() {
    SyncGridKind(project_.MapLegend);
    const bool open = store_.ProjectName != "Nada" && FileExists(store_.ProjectPath + store_.ProjectName);
    if (!open && store_.LayerCount > 0 && maps_) maps_->SaveMapBtnClick();
}

std::array<bool, 14> LegendCommands::ValidateSave(bool* saved) {
    std::array<bool, 14> boxes = CheckMapLegendRec(project_.MapLegend);
    const bool ok = maps_ && maps_->SaveMapBtnClick();
    if (saved) *saved = ok;
    return boxes;
}

std::vector<std::string> LegendCommands::LoadText(int e) {
    if (e < 0 || e >= 8) return {};
    const LegendRec& l = project_.MapLegend;
    if (l.Fonts[e] && l.Fonts[e] != MemoFont) *MemoFont = *l.Fonts[e];
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(0, l.LineCounts[e])), l.Lines[e].size());
    return std::vector<std::string>(l.Lines[e].begin(), l.Lines[e].begin() + static_cast<std::ptrdiff_t>(n));
}

void LegendCommands::SaveText(int e, const std::vector<std::string>& lines) {
    if (e < 0 || e >= 8) return;
    LegendRec& l = project_.MapLegend;
    l.Fonts[e] = MemoFont;
    l.LineCounts[e] = static_cast<std::int32_t>(lines.size());
    l.Lines[e] = lines;
}

bool LegendCommands::LoadBitmap(int entry, const std::string& path, const PictureSizer& sizer, int* w, int* h) {
    if (entry < 0 || entry >= 5 || path.empty() || !PictureExtensionAccepted(path)) return false;
    LegendRec& l = project_.MapLegend;
    std::string& field = BitmapEntryFile(l, entry);
    int pw = 0, ph = 0;
    Result r = sizer ? sizer(path, pw, ph) : Result::Fail("no picture reader");
    if (!r || pw <= 0 || ph <= 0) {
        field = ".";
        prompter_.ShowErrorText("Bitmap not loaded: " + path + (r.reason.empty() ? "" : "\r\n" + r.reason));
        return false;
    }
    field = path;
    PlacementSlot& slot = l.BitmapPlace[BitmapEntryElement(entry)];
    slot[6] = pw;
    slot[7] = ph;
    if (w) *w = pw;
    if (h) *h = ph;
    return true;
}

void LegendCommands::SetDrawn(int entry, bool drawn) {
    if (!Drawable(entry)) return;
    LegendRec& l = project_.MapLegend;
    std::string& field = BitmapEntryFile(l, entry);
    PlacementSlot& slot = l.BitmapPlace[BitmapEntryElement(entry)];
    if (drawn) {
        field = kDrawnByProgram;
        slot[6] = entry == 0 ? kDrawnArrowW : kDrawnScaleW;
        slot[7] = entry == 0 ? kDrawnArrowH : kDrawnScaleH;
    } else if (field == kDrawnByProgram) {
        field = ".";
    }
}

void LegendCommands::SetGrid(int index) {
    if (index < 0 || index > 2) return;
    project_.MapLegend.GridKind = index;
    project_.MapLegend.GridName = kGridNames[index];
}

void LegendCommands::SetLocation(int choice, const std::string& state, const std::string& country,
                                 const std::string& variable) {
    LegendRec& l = project_.MapLegend;
    if (choice == 0)
        l.LocationName = state.empty() ? kDefaultState : state;
    else if (choice == 1)
        l.LocationName = country.empty() ? kDefaultCountry : country;
    else if (choice == 2)
        l.LocationName = variable;
}

}  // namespace zemba
