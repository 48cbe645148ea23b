#include "widgets/Cp932Text.h"

#include "text/CodePage.h"

#include <QList>
#include <QSet>

namespace {

// Converts one code point at a time, so that an unencodable one costs only itself.
std::string ToCp932WithQuestionMarks(const QString& text) {
    std::string bytes;
    for (const char32_t codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        const std::optional<std::string> encoded = Utf8ToCp932(character.toStdString());
        bytes += encoded ? *encoded : std::string("?");
    }
    return bytes;
}

} // namespace

QString FromCp932(const std::string& text) {
    return QString::fromStdString(Cp932ToUtf8(text));
}

std::optional<std::string> TryToCp932(const QString& text) {
    // toStdString turns a lone surrogate into U+FFFD, which code page 932 refuses.
    return Utf8ToCp932(text.toStdString());
}

std::string ToCp932(const QString& text) {
    if (std::optional<std::string> bytes = TryToCp932(text)) return std::move(*bytes);
    return ToCp932WithQuestionMarks(text);
}

int Cp932Length(const QString& text) {
    return static_cast<int>(ToCp932(text).size());
}

bool IsCp932Encodable(const QString& text) {
    return TryToCp932(text).has_value();
}

QString Cp932RoundTrip(const QString& text) {
    return FromCp932(ToCp932(text));
}

TEncodableSplit SplitEncodable(const QString& text) {
    if (std::optional<std::string> bytes = TryToCp932(text)) return {std::move(*bytes), {}};
    QString held;
    TEncodableSplit split;
    QSet<char32_t> named;
    for (const char32_t codePoint : text.toUcs4()) {
        if (CanEncodeCp932(codePoint)) {
            held.append(QString::fromUcs4(&codePoint, 1));
        } else if (!named.contains(codePoint)) {
            named.insert(codePoint);
            split.Refused.append(QString::fromUcs4(&codePoint, 1));
        }
    }
    split.Bytes = ToCp932(held);
    return split;
}

QString UnusableCharactersMessage(const QString& characters) {
    return QStringLiteral("「%1」はこのプログラムでは使用できない文字です。")
        .arg(QuotedExcerpt(characters));
}

QString QuotedExcerpt(const QString& text) {
    // A long paste must not widen the status bar beyond the window.
    constexpr qsizetype MaxQuoted = 20;
    const QList<uint> codePoints = text.toUcs4();
    if (codePoints.size() <= MaxQuoted) return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()), MaxQuoted) +
           QStringLiteral("…");
}
