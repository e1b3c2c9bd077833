// The settings file: any bytes must read without crashing, and whatever the
// reader accepts must come back from the writer the same, up to the
// writer's own substitutions.

#include "FuzzCheck.h"
#include "settings/SettingsFile.h"

#include <QStringDecoder>

namespace {

// Whether cp1252 holds `c`. The 27 characters it puts at 0x80..0x9F are
// listed here rather than taken from TextCodec8, so the check does not share
// the table it checks. The five bytes cp1252 leaves undefined stand for the
// C1 controls of the same number, as on Windows.
bool inCodePage(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return true;
    switch (c) {
    case 0x81: case 0x8D: case 0x8F: case 0x90: case 0x9D:
    case 0x20AC: case 0x201A: case 0x0192: case 0x201E: case 0x2026: case 0x2020:
    case 0x2021: case 0x02C6: case 0x2030: case 0x0160: case 0x2039: case 0x0152:
    case 0x017D: case 0x2018: case 0x2019: case 0x201C: case 0x201D: case 0x2022:
    case 0x2013: case 0x2014: case 0x02DC: case 0x2122: case 0x0161: case 0x203A:
    case 0x0153: case 0x017E: case 0x0178:
        return true;
    default:
        return false;
    }
}

// A text as it reads back after writing: a double quote turns into a single
// quote, and each character outside the code page (a surrogate pair is one
// character) into '?'.
QString asWritten(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            out += u'\'';
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += u'?';
            ++i;
        } else {
            out += c.isSurrogate() || !inCodePage(c.unicode()) ? QChar(u'?') : c;
        }
    }
    return out;
}

SettingsValues asWritten(SettingsValues v)
{
    v.baudRate = asWritten(v.baudRate);
    v.deviceId = asWritten(v.deviceId);
    v.ucAppName = asWritten(v.ucAppName);
    for (int i = 1; i <= 4; ++i)
        v.tempNames[i] = asWritten(v.tempNames[i]);
    return v;
}

// The reader's rule for telling a UTF-8 file: something beyond ASCII, and
// the whole file decodes as UTF-8 without error.
bool readsAsUtf8(const QByteArray &bytes)
{
    bool ascii = true;
    for (char b : bytes)
        ascii = ascii && uchar(b) < 0x80;
    if (ascii)
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = utf8.decode(bytes);
    return !utf8.hasError();
}

bool holdsNul(const SettingsValues &v)
{
    bool nul = v.baudRate.contains(QChar(0)) || v.deviceId.contains(QChar(0)) || v.ucAppName.contains(QChar(0));
    for (int i = 1; i <= 4; ++i)
        nul = nul || v.tempNames[i].contains(QChar(0));
    return nul;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<SettingsValues> values = SettingsFile::parse(bytes);
    if (!values)
        return 0;
    FUZZ_CHECK(!holdsNul(*values));

    const QByteArray written = SettingsFile::serialize(*values);
    // The writer quotes every text, so a file near MaxSize with bare texts
    // can grow past it on writing, and the reader then refuses it. Settings
    // files are a few dozen bytes; such a file is not checked further.
    if (written.size() > SettingsFile::MaxSize)
        return 0;
    // Known limitation: the reader takes a file whose bytes are valid UTF-8
    // beyond ASCII as UTF-8, so 8-bit texts that happen to form UTF-8 ("Ã©"
    // is C3 A9) read back as other characters. That case is left out.
    if (readsAsUtf8(written))
        return 0;

    const std::optional<SettingsValues> back = SettingsFile::parse(written);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(*back == asWritten(*values));
    // What the writer wrote once, it writes again unchanged.
    FUZZ_CHECK(SettingsFile::serialize(*back) == written);
    return 0;
}
