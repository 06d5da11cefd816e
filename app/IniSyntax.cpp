#include "app/IniSyntax.h"

#include <array>
#include <cstring>

#include <QStringDecoder>
#include <QStringList>

#include "core/ByteScan.h"

namespace quillora::ini {

namespace {

// QSettings' own classes of bytes: where a line may end or its meaning change.
enum : unsigned char { kSpace = 1, kSpecial = 2 };
constexpr std::array<unsigned char, 256> kTraits = [] {
    std::array<unsigned char, 256> traits{};
    traits[' '] = traits['\t'] = kSpace;
    traits['\n'] = traits['\r'] = kSpace | kSpecial;
    traits['"'] = traits[';'] = traits['='] = traits['\\'] = kSpecial;
    return traits;
}();

unsigned char Traits(char c) {
    return kTraits[static_cast<unsigned char>(c)];
}

// The first of two bytes at or after from, or the end: one pass over a
// value of megabytes, not a byte-by-byte loop.
std::size_t FindEither(std::string_view data, std::size_t from, char a, char b) {
    return bytescan::FirstOf(data, from, a, b);
}

// One logical line from pos: a quoted text or an escaped line end continues
// it over several physical lines, a ";" outside quotes ends it (the rest is
// a comment), and comment lines are skipped. Sets pos to where the next
// line's search begins.
bool ReadLine(std::string_view data, std::size_t& pos, std::size_t& lineStart,
              std::size_t& lineLength, std::ptrdiff_t& equalsAt) {
    const std::size_t length = data.size();
    bool inQuotes = false;
    equalsAt = -1;
    lineStart = pos;
    while (lineStart < length && (Traits(data[lineStart]) & kSpace) != 0) {
        ++lineStart;
    }
    std::size_t i = lineStart;
    while (i < length) {
        // Inside a quoted value only a quote or an escape can matter.
        if (inQuotes && equalsAt >= 0) {
            i = FindEither(data, i, '"', '\\');
            if (i == length) {
                goto done;
            }
        }
        char c = data[i];
        while ((Traits(c) & kSpecial) == 0) {
            if (++i == length) {
                goto done;
            }
            c = data[i];
        }
        ++i;
        if (c == '=') {
            if (!inQuotes && equalsAt == -1) {
                equalsAt = static_cast<std::ptrdiff_t>(i - 1);
            }
        } else if (c == '\n' || c == '\r') {
            if (i == lineStart + 1) {
                ++lineStart;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        } else if (c == '\\') {
            if (i < length) {
                const char escaped = data[i++];
                if (i < length) {
                    const char after = data[i];
                    if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n')) {
                        ++i;
                    }
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else {  // ';'
            if (i == lineStart + 1) {
                while (i < length && data[i] != '\n' && data[i] != '\r') {
                    ++i;
                }
                while (i < length && (Traits(data[i]) & kSpace) != 0) {
                    ++i;
                }
                lineStart = i;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        }
    }
done:
    pos = i;
    lineLength = i - lineStart;
    return lineLength > 0;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsAsciiSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// QSettings decodes each value as one UTF-8 stream, which drops a byte order
// mark at its start.
bool StartsWithByteOrderMark(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF";
}

QString FromUtf8(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Keys and section names: %XX and %UXXXX escapes, "\" for "/".
QString UnescapeKey(std::string_view raw) {
    const QString decoded = FromUtf8(raw);
    const qsizetype size = decoded.size();
    QString result;
    result.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        char16_t c = decoded.at(i).unicode();
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i == size - 1) {
            result += QChar(c);
            ++i;
            continue;
        }
        int digits = 2;
        qsizetype first = i + 1;
        if (decoded.at(i + 1).unicode() == u'U') {
            ++first;
            digits = 4;
        }
        if (first + digits > size) {
            result += u'%';
            ++i;
            continue;
        }
        bool ok = false;
        c = QStringView(decoded).sliced(first, digits).toUShort(&ok, 16);
        if (!ok) {
            result += u'%';
            ++i;
            continue;
        }
        result += QChar(c);
        i = first + digits;
    }
    return result;
}

// Everything after the line's logical end up to its physical end: a comment.
std::size_t PhysicalLineEnd(std::string_view data, std::size_t end) {
    while (end < data.size() && data[end] != '\n' && data[end] != '\r') {
        ++end;
    }
    return end;
}

std::size_t AfterLineBreak(std::string_view data, std::size_t end) {
    if (end < data.size() && data[end] == '\r') {
        ++end;
    }
    if (end < data.size() && data[end] == '\n') {
        ++end;
    }
    return end;
}

}  // namespace

GroupLines FindGroup(std::string_view data, std::string_view group) {
    const QString ours = FromUtf8(group);
    const QString prefix = ours + QLatin1Char('/');
    GroupLines found;
    std::size_t pos = data.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    std::size_t lineStart = 0;
    std::size_t lineLength = 0;
    std::ptrdiff_t equalsAt = -1;
    bool inRoot = true;
    bool inOurs = false;
    while (ReadLine(data, pos, lineStart, lineLength, equalsAt)) {
        const std::string_view line = data.substr(lineStart, lineLength);
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            std::string_view name =
                close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            name = Trimmed(name);
            const QString section = FromUtf8(name);
            inRoot = section.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0;
            inOurs = !inRoot &&
                     section.compare(QLatin1String("%general"), Qt::CaseInsensitive) != 0 &&
                     UnescapeKey(name) == ours;
            if (inOurs) {
                found.hasSection = true;
                found.appendAt = AfterLineBreak(data, PhysicalLineEnd(data, pos));
            }
            continue;
        }
        if (equalsAt < 0 || (!inRoot && !inOurs)) {
            continue;
        }
        const std::size_t equals = static_cast<std::size_t>(equalsAt) - lineStart;
        const QString key = UnescapeKey(Trimmed(line.substr(0, equals)));
        KeyLine entry;
        if (inOurs) {
            entry.key = key.toStdString();
        } else if (key.startsWith(prefix)) {
            entry.key = key.mid(prefix.size()).toStdString();
            entry.fromRoot = true;
        } else {
            continue;
        }
        entry.start = lineStart;
        entry.value = line.substr(equals + 1);
        entry.valueEndsAtComment = pos < data.size() && data[pos] == ';';
        entry.end = PhysicalLineEnd(data, pos);
        if (inOurs) {
            found.appendAt = AfterLineBreak(data, entry.end);
        }
        found.keys.push_back(std::move(entry));
    }
    return found;
}

bool CutShort(const KeyLine& line) {
    const std::string_view value = Trimmed(line.value);
    return line.valueEndsAtComment &&
           (value.size() < 2 || value.front() != '"' || value.back() != '"');
}

const KeyLine* FindKey(const GroupLines& group, std::string_view key) {
    // QSettings reads the keys before the first section first, then the
    // sections by name: a key in the group's own section wins.
    const KeyLine* best = nullptr;
    for (const KeyLine& line : group.keys) {
        if (line.key == key && (best == nullptr || !line.fromRoot || best->fromRoot)) {
            best = &line;
        }
    }
    return best;
}

bool IsValidUtf8(std::string_view text) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* p = begin;
    const auto* end = p + text.size();
    for (;;) {
        // Runs of ASCII, the whole of a stored list, pass at the speed of memory.
        p = begin + bytescan::FirstNonAscii(text, static_cast<std::size_t>(p - begin));
        if (p == end) {
            return true;
        }
        const unsigned char c = *p;
        int more = 0;
        std::uint32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more) {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[k] & 0x3F);
        }
        if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (more == 3 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        p += more + 1;
    }
}

namespace {

void ChopTrailingSpaces(QString& text, qsizetype limit) {
    qsizetype n = text.size() - 1;
    while (n >= limit && (text.at(n) == u' ' || text.at(n) == u'\t')) {
        text.truncate(n--);
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The value's escapes and quotes undone, exactly as QSettings undoes them;
// true when unquoted commas made it a list.
bool UnescapeValue(std::string_view str, QString& text, QStringList& list) {
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    bool isList = false;
    bool inQuotes = false;
    bool quoted = false;
    char16_t escaped = 0;
    std::size_t i = 0;
    const std::size_t size = str.size();
    qsizetype chopLimit = 0;
    QStringDecoder fromUtf8(QStringDecoder::Utf8);

skipSpaces:
    while (i < size && (str[i] == ' ' || str[i] == '\t')) {
        ++i;
    }
normal:
    chopLimit = text.size();
    while (i < size) {
        switch (str[i]) {
            case '\\': {
                ++i;
                if (i >= size) {
                    goto end;
                }
                const char c = str[i++];
                for (const auto& escape : kEscapes) {
                    if (c == escape[0]) {
                        text += QLatin1Char(escape[1]);
                        goto normal;
                    }
                }
                if (c == 'x') {
                    escaped = 0;
                    if (i >= size) {
                        goto end;
                    }
                    if (HexValue(str[i]) >= 0) {
                        goto hexEscape;
                    }
                } else if (c >= '0' && c <= '7') {
                    escaped = static_cast<char16_t>(c - '0');
                    goto octalEscape;
                } else if (c == '\n' || c == '\r') {
                    if (i < size) {
                        const char after = str[i];
                        if ((after == '\n' || after == '\r') && after != c) {
                            ++i;
                        }
                    }
                }
                // Any other escaped character is dropped.
                chopLimit = text.size();
                break;
            }
            case '"':
                ++i;
                quoted = true;
                inQuotes = !inQuotes;
                if (!inQuotes) {
                    goto skipSpaces;
                }
                break;
            case ',':
                if (!inQuotes) {
                    if (!quoted) {
                        ChopTrailingSpaces(text, chopLimit);
                    }
                    if (!isList) {
                        isList = true;
                        list.clear();
                    }
                    list.append(text);
                    text.clear();
                    quoted = false;
                    ++i;
                    goto skipSpaces;
                }
                [[fallthrough]];
            default: {
                std::size_t j = i + 1;
                while (j < size && str[j] != '\\' && str[j] != '"' && str[j] != ',') {
                    ++j;
                }
                text += fromUtf8(QByteArrayView(str.data() + i, static_cast<qsizetype>(j - i)));
                i = j;
            }
        }
    }
    if (!quoted) {
        ChopTrailingSpaces(text, chopLimit);
    }
    goto end;

hexEscape:
    if (i >= size) {
        text += QChar(escaped);
        goto end;
    }
    if (const int digit = HexValue(str[i]); digit >= 0) {
        escaped = static_cast<char16_t>((escaped << 4) + digit);
        ++i;
        goto hexEscape;
    }
    text += QChar(escaped);
    goto normal;

octalEscape:
    if (i >= size) {
        text += QChar(escaped);
        goto end;
    }
    if (str[i] >= '0' && str[i] <= '7') {
        escaped = static_cast<char16_t>((escaped << 3) + (str[i] - '0'));
        ++i;
        goto octalEscape;
    }
    text += QChar(escaped);
    goto normal;

end:
    if (isList) {
        list.append(text);
    }
    return isList;
}

// QSettings' typed forms: "@Rect(...)", "@Variant(...)" and the like.
bool StartsWith(const QString& text, const char* prefix) {
    return text.startsWith(QLatin1String(prefix));
}

Value NotText() {
    return {Value::Kind::NotText, {}};
}

Value TextValue(const QString& text) {
    return {Value::Kind::Text, text.toStdString()};
}

Value Typed(const QString& text) {
    if (text.startsWith(u'@')) {
        if (text.endsWith(u')')) {
            if (StartsWith(text, "@ByteArray(")) {
                // A byte array read as text is its bytes taken as UTF-8.
                return TextValue(
                    QString::fromUtf8(QStringView(text).sliced(11).chopped(1).toLatin1()));
            }
            if (StartsWith(text, "@String(")) {
                return TextValue(QStringView(text).sliced(8).chopped(1).toString());
            }
            if (StartsWith(text, "@Variant(") || StartsWith(text, "@DateTime(") ||
                StartsWith(text, "@Rect(") || StartsWith(text, "@Size(") ||
                StartsWith(text, "@Point(") || text == QLatin1String("@Invalid()")) {
                return NotText();
            }
        }
        if (text.startsWith(QLatin1String("@@"))) {
            return TextValue(text.sliced(1));
        }
    }
    return TextValue(text);
}

}  // namespace

namespace {

bool OnlySpaces(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::optional<std::string_view> PlainValue(std::string_view raw) {
    while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) {
        raw.remove_prefix(1);
    }
    std::string_view inner = raw;
    const bool quoted = !raw.empty() && raw.front() == '"';
    // Told ASCII on the way, a quoted value (every stored list of two entries
    // or more) is checked in this one pass over it.
    bool ascii = false;
    if (quoted) {
        std::size_t close = 1;
        ascii = true;
        for (;; ++close) {
            close = bytescan::FirstOf<bytescan::Also::NonAscii>(raw, close, '"', '\\');
            if (close == raw.size() || raw[close] == '"' || raw[close] == '\\') {
                break;
            }
            ascii = false;
        }
        if (close == raw.size() || raw[close] != '"' || !OnlySpaces(raw.substr(close + 1))) {
            return std::nullopt;
        }
        inner = raw.substr(1, close - 1);
    } else {
        if (FindEither(inner, 0, '"', '\\') != inner.size() ||
            inner.find(',') != std::string_view::npos) {
            return std::nullopt;
        }
        while (!inner.empty() && (inner.back() == ' ' || inner.back() == '\t')) {
            inner.remove_suffix(1);
        }
    }
    if ((!inner.empty() && inner.front() == '@') ||
        (!ascii && (StartsWithByteOrderMark(inner) || !IsValidUtf8(inner)))) {
        return std::nullopt;
    }
    return inner;
}

Value ReadValue(std::string_view raw) {
    if (const std::optional<std::string_view> plain = PlainValue(raw)) {
        return {Value::Kind::Text, std::string(*plain)};
    }
    QString text;
    QStringList list;
    if (!UnescapeValue(raw, text, list)) {
        return Typed(text);
    }
    // A list whose items all read as texts is one text joined by commas (how
    // the store has always read a hand-edited value with commas); an item in
    // a typed form makes the whole a list of variants, which is no text.
    for (QString& item : list) {
        if (item.startsWith(u'@')) {
            if (item.size() < 2 || item.at(1) != u'@') {
                return NotText();
            }
            item.remove(0, 1);
        }
    }
    return TextValue(list.join(QLatin1Char(',')));
}

namespace {

// Quotes keep separators and spaces at either end in the value; an escape
// never starts or ends with a space, so the text itself decides.
bool HasSeparator(std::string_view text) {
    auto contains = [&](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
    return contains(';') || contains(',') || contains('=');
}

bool NeedsQuotes(std::string_view text) {
    return HasSeparator(text) || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
}

}  // namespace

void ValueFramer::add(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    if (head_.size() < 3) {
        head_.append(piece.substr(0, 3 - head_.size()));
        escapes_ = escapes_ || StartsWithByteOrderMark(head_);
    }
    last_ = piece.back();
    separators_ = separators_ || HasSeparator(piece);
    if (escapes_) {
        return;
    }
    escapes_ = bytescan::FirstOf<bytescan::Also::Control>(piece, 0, '"', '\\') != piece.size();
}

std::optional<ValueFrame> ValueFramer::frame() const {
    if (escapes_) {
        return std::nullopt;
    }
    // A leading "@" is doubled, inside the quotes; spaces at either end need them.
    const char first = head_.empty() ? '\0' : head_.front();
    if (separators_ || first == ' ' || last_ == ' ') {
        return ValueFrame{first == '@' ? "\"@" : "\"", "\""};
    }
    return ValueFrame{first == '@' ? "@" : "", ""};
}

void AppendValue(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.reserve(out.size() + text.size() + 3);
    const bool quoted = NeedsQuotes(text);
    if (quoted) {
        out.push_back('"');
    }
    // A leading "@" would announce a typed form: QSettings doubles it.
    if (!text.empty() && text.front() == '@') {
        out.push_back('@');
    }
    bool escapeNextIfHex = false;
    auto appendHex = [&](unsigned char c) {
        out += "\\x";
        if (c >= 16) {
            out.push_back(kHex[c >> 4]);
        }
        out.push_back(kHex[c & 15]);
    };
    // QSettings decodes a value's raw bytes as one UTF-8 stream that drops a
    // byte order mark at its very start, wherever that falls after quotes and
    // escapes: until the first raw byte is out, a U+FEFF goes as an escape.
    bool rawWritten = !text.empty() && text.front() == '@';
    std::size_t i = 0;
    while (i < text.size()) {
        if (!rawWritten && StartsWithByteOrderMark(text.substr(i))) {
            out += "\\xfeff";
            escapeNextIfHex = true;
            i += 3;
            continue;
        }
        if (!escapeNextIfHex) {
            // Runs that need no escape (no control byte, quote or backslash) go over whole.
            const std::size_t plain =
                bytescan::FirstOf<bytescan::Also::Control>(text, i, '"', '\\');
            out.append(text.data() + i, plain - i);
            rawWritten = rawWritten || plain > i;
            i = plain;
            if (i == text.size()) {
                break;
            }
        }
        const char byte = text[i++];
        const auto c = static_cast<unsigned char>(byte);
        // Escapes by number run on while hexadecimal digits follow.
        if (escapeNextIfHex && HexValue(byte) >= 0) {
            appendHex(c);
            continue;
        }
        escapeNextIfHex = false;
        switch (c) {
            case '\0':
                out += "\\0";
                escapeNextIfHex = true;
                break;
            case '\a':
                out += "\\a";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\v':
                out += "\\v";
                break;
            case '"':
            case '\\':
                out.push_back('\\');
                out.push_back(byte);
                break;
            default:
                if (c <= 0x1F) {
                    appendHex(c);
                    escapeNextIfHex = true;
                } else {
                    out.push_back(byte);
                    rawWritten = true;
                }
        }
    }
    if (quoted) {
        out.push_back('"');
    }
}

void AppendKey(std::string& out, const QString& key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/') {
            out.push_back('\\');
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                   (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.') {
            out.push_back(static_cast<char>(c));
        } else if (c <= 0xFF) {
            out.push_back('%');
            out.push_back(kHex[c / 16]);
            out.push_back(kHex[c % 16]);
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out.push_back(kHex[(c >> shift) & 15]);
            }
        }
    }
}

}  // namespace quillora::ini
