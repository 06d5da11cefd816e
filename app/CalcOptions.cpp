#include "app/CalcOptions.h"

#include <algorithm>

namespace quillora {

namespace {

const QStringList kWordSizes{QStringLiteral("8"), QStringLiteral("16"), QStringLiteral("32"),
                             QStringLiteral("64"), QStringLiteral("128")};

std::optional<ResultsFormat> FormatNamed(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QStringLiteral("text")) {
        return ResultsFormat::Text;
    }
    if (lower == QStringLiteral("tsv")) {
        return ResultsFormat::Tsv;
    }
    if (lower == QStringLiteral("json")) {
        return ResultsFormat::Json;
    }
    return std::nullopt;
}

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

}  // namespace

std::optional<Base> BaseNamed(const QString& name) {
    const QString lower = name.toLower();
    for (Base base : kAllBases) {
        const QString full = BaseName(base).toLower();
        if (lower == full || lower == full.left(3)) {
            return base;
        }
    }
    return std::nullopt;
}

CalcOptionSet::CalcOptionSet()
    : calc_(QStringLiteral("calc"),
            QStringLiteral("Fold the numbers of the FILEs (standard input when none is given, or "
                           "for \"-\") without a window and print the results table.")),
      base_(QStringList{QStringLiteral("b"), QStringLiteral("base")},
            QStringLiteral("With --calc: the base the numbers are written in: decimal (the "
                           "default), hexadecimal, octal or binary (dec, hex, oct, bin)."),
            QStringLiteral("base")),
      exact_(QStringLiteral("exact"), QStringLiteral("With --calc: print the exact results.")),
      word_(QStringLiteral("word"),
            QStringLiteral("With --exact: the word size, 8, 16, 32, 64 or 128 bits."),
            QStringLiteral("bits")),
      group_(QStringLiteral("group"), QStringLiteral("With --exact: group the digits.")),
      format_(QStringLiteral("format"),
              QStringLiteral("With --calc: text (aligned columns, the default), tsv or json."),
              QStringLiteral("format")),
      rows_(QStringLiteral("rows"),
            QStringLiteral("With --calc: the rows to print, in that order, separated by commas "
                           "(default: decimal,hexadecimal,octal,binary)."),
            QStringLiteral("rows")),
      strict_(QStringLiteral("strict"),
              QStringLiteral("With --calc: exit with status 1 when a line was skipped.")) {}

void CalcOptionSet::addTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption* option :
         {&calc_, &base_, &exact_, &word_, &group_, &format_, &rows_, &strict_}) {
        parser.addOption(*option);
    }
}

bool CalcOptionSet::calcAsked(const QCommandLineParser& parser) const {
    return std::any_of(parser.optionNames().cbegin(), parser.optionNames().cend(),
                       [&](const QString& name) {
                           return calc_.names().contains(name) || base_.names().contains(name) ||
                                  exact_.names().contains(name) || word_.names().contains(name) ||
                                  group_.names().contains(name) || format_.names().contains(name) ||
                                  rows_.names().contains(name) || strict_.names().contains(name);
                       });
}

CalcOptionSet::Read CalcOptionSet::read(const QCommandLineParser& parser) const {
    Read read;
    const auto fail = [&](const QString& error) {
        read.error = error;
        return read;
    };
    if (!parser.isSet(calc_)) {
        for (const QString& name : parser.optionNames()) {
            if (name != QStringLiteral("help") && name != QStringLiteral("version")) {
                return fail((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name +
                            QStringLiteral(" needs --calc"));
            }
        }
    }
    // An option given twice takes its last value, as most tools do.
    CalcOptions options;
    if (parser.isSet(base_)) {
        const QString name = parser.values(base_).constLast();
        const std::optional<Base> base = BaseNamed(name);
        if (!base) {
            return fail(QStringLiteral("invalid base %1 (decimal, hexadecimal, octal or binary)")
                            .arg(Quoted(name)));
        }
        options.base = *base;
    }
    options.exact = parser.isSet(exact_);
    options.group = parser.isSet(group_);
    if (parser.isSet(word_)) {
        const QString bits = parser.values(word_).constLast();
        if (!kWordSizes.contains(bits)) {
            return fail(
                QStringLiteral("invalid word size %1 (8, 16, 32, 64 or 128)").arg(Quoted(bits)));
        }
        options.word = bits.toInt();
    }
    if ((options.word || options.group) && !options.exact) {
        return fail(QStringLiteral("--%1 needs --exact")
                        .arg(options.word ? QStringLiteral("word") : QStringLiteral("group")));
    }
    if (parser.isSet(format_)) {
        const QString name = parser.values(format_).constLast();
        const std::optional<ResultsFormat> format = FormatNamed(name);
        if (!format) {
            return fail(QStringLiteral("invalid format %1 (text, tsv or json)").arg(Quoted(name)));
        }
        options.format = *format;
    }
    if (parser.isSet(rows_)) {
        options.rows.clear();
        for (const QString& name : parser.values(rows_).constLast().split(QLatin1Char(','))) {
            const std::optional<Base> row = BaseNamed(name);
            if (!row) {
                return fail(QStringLiteral("invalid row %1 (decimal, hexadecimal, octal or "
                                           "binary, separated by commas)")
                                .arg(Quoted(name)));
            }
            if (std::find(options.rows.begin(), options.rows.end(), *row) != options.rows.end()) {
                return fail(QStringLiteral("row %1 named twice").arg(Quoted(name)));
            }
            options.rows.push_back(*row);
        }
    }
    options.strict = parser.isSet(strict_);
    options.files = parser.positionalArguments();
    read.options = options;
    return read;
}

QString CalcHelpExamples() {
    return QStringLiteral(
        "\nExamples:\n"
        "  quillora --calc numbers.txt\n"
        "  sort -u sizes.txt | quillora --calc --base=hexadecimal\n"
        "  quillora --calc -b bin --rows=binary,decimal --format=tsv masks.txt\n"
        "  quillora --calc --format=json --strict - < list.txt\n"
        "\nWith --calc, the exit status is 0 when the results were printed, 1 when\n"
        "fewer than two numbers were read, a file could not be read or the run\n"
        "failed (as the window would report it), and 2 for a usage error.\n");
}

}  // namespace quillora
