#include "model/Scenario.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace lm11sim {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysIn(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

/// Splits on blanks outside double quotes; quotes are removed.
std::vector<std::string> Tokens(std::string_view line)
{
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
            continue;
        }
        if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (any) out.push_back(cur);
            cur.clear();
            any = false;
            continue;
        }
        cur += c;
        any = true;
    }
    if (any) out.push_back(cur);
    return out;
}

struct ParseError {
    std::string text;
};

long Int(std::string_view s)
{
    long v = 0;
    int base = 10;
    bool negative = false;
    if (!s.empty() && s[0] == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty())
        throw ParseError{"not a number: " + std::string(s)};
    return negative ? -v : v;
}

long IntIn(std::string_view s, long lo, long hi)
{
    const long v = Int(s);
    if (v < lo || v > hi)
        throw ParseError{std::string(s) + " is outside " + std::to_string(lo) + ".." + std::to_string(hi)};
    return v;
}

double Real(std::string_view s)
{
    try {
        std::size_t used = 0;
        const double v = std::stod(std::string(s), &used);
        if (used != s.size()) throw ParseError{"not a number: " + std::string(s)};
        return v;
    } catch (const std::logic_error&) {
        throw ParseError{"not a number: " + std::string(s)};
    }
}

/// "a..b" as two parts.
std::pair<std::string, std::string> Range(std::string_view s)
{
    const auto dots = s.find("..");
    if (dots == std::string_view::npos) return {std::string(s), std::string(s)};
    return {std::string(s.substr(0, dots)), std::string(s.substr(dots + 2))};
}

std::pair<int, int> Steps(std::string_view s)
{
    const auto x = s.find('x');
    if (x == std::string_view::npos) throw ParseError{"step wants XxY: " + std::string(s)};
    return {int(IntIn(s.substr(0, x), 0, 255)), int(IntIn(s.substr(x + 1), 0, 255))};
}

/// "2014-05-17T10:23:45" or the date and time as two tokens joined by the caller.
DateTime Date(std::string_view s)
{
    DateTime d;
    int parts[6];
    std::size_t pos = 0;
    for (int i = 0; i < 6; ++i) {
        std::size_t end = pos;
        while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
        if (end == pos) throw ParseError{"date wants YYYY-MM-DDTHH:MM:SS: " + std::string(s)};
        parts[i] = int(Int(s.substr(pos, end - pos)));
        pos = end + 1;
    }
    d = {parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
    if (d.year < 2000 || d.year > 2255 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > DaysIn(d.year, d.month) || d.hour > 23 || d.minute > 59 || d.second > 59)
        throw ParseError{"no such date: " + std::string(s)};
    return d;
}

Reply ReplyNamed(std::string_view s)
{
    if (auto r = ReplyByName(s)) return *r;
    throw ParseError{"unknown reply " + std::string(s) + " (version, header, record, settings, screen)"};
}

std::map<std::string, std::string> Options(const std::vector<std::string>& t, std::size_t from)
{
    std::map<std::string, std::string> out;
    for (std::size_t i = from; i < t.size(); ++i) {
        const auto eq = t[i].find('=');
        if (eq == std::string::npos) throw ParseError{"expected key=value: " + t[i]};
        out[t[i].substr(0, eq)] = t[i].substr(eq + 1);
    }
    return out;
}

void Need(const std::vector<std::string>& t, std::size_t n)
{
    if (t.size() < n) throw ParseError{t[0] + " needs " + std::to_string(n - 1) + " argument(s)"};
}

void ParseObject(Scenario& s, const std::vector<std::string>& t)
{
    Need(t, 2);
    ObjectSpec& o = s.objects[IntIn(t[1], 1, 20) - 1];
    for (const auto& [key, value] : Options(t, 2)) {
        if (key == "name")
            o.nameRu = value;
        else if (key == "en")
            o.nameEn = value;
        else if (key == "series")
            o.seriesLength = uint8_t(IntIn(value, 0, 255));
        else if (key == "step")
            std::tie(o.stepX, o.stepY) = Steps(value);
        else if (key == "byte3")
            o.byte3 = uint8_t(IntIn(value, 0, 255));
        else if (key == "potential" || key == "resistance") {
            const auto [lo, hi] = Range(value);
            const auto a = int16_t(IntIn(lo, -32768, 32767)), b = int16_t(IntIn(hi, -32768, 32767));
            if (key == "potential") {
                o.potentialMin = a;
                o.potentialMax = b;
            } else {
                o.resistanceMin = a;
                o.resistanceMax = b;
            }
        } else
            throw ParseError{"unknown object option " + key};
    }
}

/// "a,b,..." as exactly `n` numbers; parentheses around the list are allowed.
std::vector<double> Reals(std::string_view s, std::size_t n, std::string_view what)
{
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') s = s.substr(1, s.size() - 2);
    std::vector<double> out;
    std::size_t pos = 0;
    while (true) {
        const auto comma = s.find(',', pos);
        out.push_back(
            Real(s.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)));
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    if (out.size() != n) throw ParseError{std::string(what) + " wants " + std::to_string(n) + " numbers"};
    for (double v : out)
        if (!(std::abs(v) <= 1e6))
            throw ParseError{std::string(what) + " wants numbers within -1000000..1000000"};
    return out;
}

double RealIn(std::string_view s, double lo, double hi)
{
    const double v = Real(s);
    if (!(v >= lo && v <= hi))
        throw ParseError{std::string(s) + " is outside " + std::to_string(int(lo)) + ".." +
                         std::to_string(int(hi))};
    return v;
}

void ParseField(Scenario& s, const std::vector<std::string>& t)
{
    Need(t, 2);
    if (t[1].find('=') != std::string::npos) throw ParseError{"field needs a name"};
    FieldSpec f;
    // Options one by one: hotspot may be given more than once.
    for (std::size_t i = 2; i < t.size(); ++i) {
        const auto eq = t[i].find('=');
        if (eq == std::string::npos) throw ParseError{"expected key=value: " + t[i]};
        const std::string key = t[i].substr(0, eq), value = t[i].substr(eq + 1);
        if (key == "base")
            f.base = RealIn(value, -2000, 2000);
        else if (key == "gradient") {
            const auto g = Reals(value, 2, "gradient");
            f.gradientX = g[0];
            f.gradientY = g[1];
        } else if (key == "hotspot") {
            const auto h = Reals(value, 4, "hotspot (x,y,radius,depth)");
            if (!(h[2] > 0)) throw ParseError{"a hotspot's radius must be above 0"};
            f.hotspots.push_back({h[0], h[1], h[2], h[3]});
        } else if (key == "noise")
            f.noise = RealIn(value, 0, 1000);
        else if (key == "dry")
            f.dry = RealIn(value, 0.1, 100000);
        else if (key == "wet")
            f.wet = RealIn(value, 0.1, 100000);
        else if (key == "resistance_noise")
            f.resistanceNoise = RealIn(value, 0, 1);
        else
            throw ParseError{"unknown field option " + key};
    }
    s.fields[t[1]] = f;
}

void ParseArchive(Scenario& s, const std::vector<std::string>& t)
{
    for (const auto& [key, value] : Options(t, 1)) {
        if (key == "order") {
            if (value == "oldest-first")
                s.order = ArchiveOrder::OldestFirst;
            else if (value == "newest-first")
                s.order = ArchiveOrder::NewestFirst;
            else
                throw ParseError{"order is oldest-first or newest-first"};
        } else if (key == "numbering") {
            if (value == "object")
                s.numbering = SeriesNumbering::PerObject;
            else if (value == "sensor")
                s.numbering = SeriesNumbering::PerSensor;
            else
                throw ParseError{"numbering is object or sensor"};
        } else if (key == "seed")
            s.seed = uint32_t(IntIn(value, 0, 0xFFFFFFFFL));
        else
            throw ParseError{"unknown archive option " + key};
    }
}

void ParseSeries(Scenario& s, const std::vector<std::string>& t)
{
    SeriesSpec r;
    bool haveObject = false;
    for (const auto& [key, value] : Options(t, 1)) {
        if (key == "object") {
            const auto [a, b] = Range(value);
            r.objectFirst = int(IntIn(a, 1, 20));
            r.objectLast = int(IntIn(b, r.objectFirst, 20));
            haveObject = true;
        } else if (key == "sensor") {
            if (value == "potential")
                r.sensor = 0;
            else if (value == "resistance")
                r.sensor = 1;
            else
                throw ParseError{"sensor is potential or resistance"};
        } else if (key == "number")
            r.number = int(IntIn(value, 0, 255));
        else if (key == "count")
            r.count = int(IntIn(value, 1, 1760));
        else if (key == "length")
            r.length = int(IntIn(value, 0, 65535));
        else if (key == "points")
            r.points = int(IntIn(value, 1, 1760));
        else if (key == "values") {
            if (value.find("..") != std::string::npos) {
                const auto [a, b] = Range(value);
                r.valueRange = std::pair{Real(a), Real(b)};
            } else {
                std::stringstream list(value);
                std::string item;
                while (std::getline(list, item, ',')) r.values.push_back(Real(item));
            }
        } else if (key == "mode") {
            if (value == "auto")
                r.mode = 1;
            else if (value == "manual")
                r.mode = 0;
            else
                throw ParseError{"mode is auto or manual"};
        } else if (key == "start")
            r.start = Date(value);
        else if (key == "interval")
            r.interval = int(IntIn(value, 0, 86400));
        else if (key == "step")
            std::tie(r.stepX, r.stepY) = Steps(value);
        else if (key == "range") {
            const auto [a, b] = Range(value);
            r.range = std::pair{int(IntIn(a, -32768, 32767)), int(IntIn(b, -32768, 32767))};
        } else if (key == "field") {
            if (!s.fields.contains(value)) throw ParseError{"no field named " + value + " above this line"};
            r.field = value;
        } else if (key == "row")
            r.row = int(IntIn(value, 1, 255));
        else
            throw ParseError{"unknown series option " + key};
    }
    if (!haveObject) throw ParseError{"series needs object="};
    if (!r.field.empty() && (r.valueRange || !r.values.empty()))
        throw ParseError{"series takes values= or field=, not both"};
    s.series.push_back(r);
}

void ParseLine(Scenario& s, const std::vector<std::string>& t, bool& devicesListed)
{
    const std::string& w = t[0];
    if (w == "device") {
        Need(t, 2);
        if (!devicesListed) s.devices.clear();
        devicesListed = true;
        DeviceSpec d;
        if (t[1] == "other")
            d.product = 0x0100;
        else if (t[1] != "instrument")
            throw ParseError{"device is instrument or other"};
        for (const auto& [key, value] : Options(t, 2)) {
            if (key == "bus")
                d.bus = int(IntIn(value, 1, 127));
            else if (key == "vendor")
                d.vendor = uint16_t(IntIn(value, 0, 0xFFFF));
            else if (key == "product")
                d.product = uint16_t(IntIn(value, 0, 0xFFFF));
            else
                throw ParseError{"unknown device option " + key};
        }
        s.devices.push_back(d);
    } else if (w == "devices") {
        Need(t, 2);
        if (t[1] != "none") throw ParseError{"devices takes only none"};
        s.devices.clear();
        devicesListed = true;
    } else if (w == "appear_after") {
        Need(t, 2);
        s.appearAfter = int(IntIn(t[1], 0, 1000000));
    } else if (w == "unplug_after") {
        Need(t, 2);
        s.unplugAfter = int(IntIn(t[1], 0, 100000000));
    } else if (w == "deny") {
        Need(t, 2);
        const int error = t.size() > 2 ? int(IntIn(t[2], 1, 200)) : 13; // EACCES
        if (t[1] == "open")
            s.denyOpen = error;
        else if (t[1] == "claim")
            s.denyClaim = error;
        else
            throw ParseError{"deny open|claim [errno]"};
    } else if (w == "prepare") {
        Need(t, 3);
        const int ms = int(IntIn(t[2], 0, 60000));
        if (t[1] == "all")
            s.prepareMs.fill(ms);
        else
            s.prepareMs[int(ReplyNamed(t[1]))] = ms;
    } else if (w == "settings_timing") {
        for (const auto& [key, value] : Options(t, 1)) {
            if (key == "prepare")
                s.settingsPrepareMs = int(IntIn(value, 0, 60000));
            else if (key == "piece")
                s.settingsPieceMs = int(IntIn(value, 0, 60000));
            else
                throw ParseError{"unknown settings_timing option " + key};
        }
    } else if (w == "announce") {
        Need(t, 3);
        s.announce[int(ReplyNamed(t[1]))] = IntIn(t[2], 0, 0xFFFFFFFFL);
    } else if (w == "short_body") {
        Need(t, 3);
        s.shortBody[int(ReplyNamed(t[1]))] = int(IntIn(t[2], 0, 100000));
    } else if (w == "version") {
        Need(t, 2);
        s.versionText = t[1];
    } else if (w == "firmware_date") {
        Need(t, 2);
        if (t[1].size() != 10) throw ParseError{"firmware_date wants ten characters"};
        if (s.versionText.size() < 10)
            s.versionText = t[1];
        else
            s.versionText.replace(s.versionText.size() - 10, 10, t[1]);
    } else if (w == "object")
        ParseObject(s, t);
    else if (w == "start") {
        Need(t, 2);
        s.start = Date(t.size() > 2 ? t[1] + "T" + t[2] : t[1]);
    } else if (w == "series")
        ParseSeries(s, t);
    else if (w == "field")
        ParseField(s, t);
    else if (w == "archive")
        ParseArchive(s, t);
    else if (w == "bitmap") {
        Need(t, 2);
        if (t[1] != "spread" && t[1] != "packed") throw ParseError{"bitmap is spread or packed"};
        s.spreadBitmap = t[1] == "spread";
    } else if (w == "bad_record_crc" || w == "bad_record_marker") {
        Need(t, 2);
        (w == "bad_record_crc" ? s.badRecordCrc : s.badRecordMarker).push_back(int(IntIn(t[1], 0, 1759)));
    } else if (w == "bad_header_marker") {
        s.badHeaderMarker = t.size() > 1 ? int(IntIn(t[1], 1, 1000000)) : -1;
    } else if (w == "bad_settings_crc") {
        Need(t, 2);
        s.badSettingsCrc[int(IntIn(t[1], 0, 19))] = t.size() > 2 ? int(IntIn(t[2], 1, 1000000)) : -1;
    } else if (w == "fail_transfer") {
        Need(t, 3);
        TransferFault f;
        if (t[2] == "timeout")
            f.error = -110;
        else if (t[2] == "error")
            f.error = t.size() > 3 ? -int(IntIn(t[3], 1, 200)) : -5;
        else
            throw ParseError{"fail_transfer N error [errno] | timeout"};
        s.transferFaults[int(IntIn(t[1], 1, 100000000))] = f;
    } else if (w == "screen") {
        Need(t, 2);
        s.screen = t[1];
    } else if (w == "transcript") {
        Need(t, 2);
        s.transcriptPath = t[1];
    } else if (w == "state") {
        Need(t, 2);
        s.statePath = t[1];
    } else
        throw ParseError{"unknown word " + w};
}

std::string Resolve(const std::string& directory, const std::string& path)
{
    if (path.empty() || path[0] == '/' || directory.empty()) return path;
    return directory + "/" + path;
}

} // namespace

void DateTime::addSeconds(long seconds)
{
    long total = second + seconds;
    long carry = total / 60;
    second = int(total % 60);
    total = minute + carry;
    carry = total / 60;
    minute = int(total % 60);
    total = hour + carry;
    carry = total / 24;
    hour = int(total % 24);
    for (long d = 0; d < carry; ++d) {
        if (++day > DaysIn(year, month)) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
}

std::optional<Reply> ReplyByName(std::string_view name)
{
    static const char* names[] = {"version", "header", "record", "settings", "screen"};
    for (int i = 0; i < kReplyKinds; ++i)
        if (name == names[i]) return Reply(i);
    return std::nullopt;
}

std::optional<Scenario> ParseScenario(std::string_view text, const std::string& directory, std::string& error)
{
    Scenario s;
    s.directory = directory;
    for (int k = 0; k < 20; ++k) {
        s.objects[k].nameRu = "Объект " + std::to_string(k + 1);
        s.objects[k].nameEn = "Object " + std::to_string(k + 1);
    }
    bool devicesListed = false;
    int number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (const auto hash = line.find('#');
            hash != std::string_view::npos && line.substr(0, hash).find('"') == std::string_view::npos)
            line = line.substr(0, hash);
        const auto tokens = Tokens(line);
        if (tokens.empty()) continue;
        try {
            ParseLine(s, tokens, devicesListed);
        } catch (const ParseError& e) {
            error = "line " + std::to_string(number) + ": " + e.text;
            return std::nullopt;
        }
    }
    s.transcriptPath = Resolve(directory, s.transcriptPath);
    s.statePath = Resolve(directory, s.statePath);
    if (s.screen != "border" && s.screen != "blank" && s.screen != "full")
        s.screen = Resolve(directory, s.screen);
    return s;
}

std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::stringstream text;
    text << in.rdbuf();
    const auto slash = path.rfind('/');
    auto s = ParseScenario(text.str(), slash == std::string::npos ? "." : path.substr(0, slash), error);
    if (!s) error = path + ": " + error;
    return s;
}

} // namespace lm11sim
