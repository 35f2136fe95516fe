#include "app/KTVersionRecord.h"

#include "foundation/KTNumberFormat.h"

#include <cmath>
#include <limits>

namespace {

// The next token after `position`, skipping separators; empty at the end.
CString NextToken(const CString& line, int& position)
{
    const int length = line.GetLength();
    while (position < length && line.GetAt(position) == ';')
        ++position;
    const int start = position;
    while (position < length && line.GetAt(position) != ';')
        ++position;
    return line.Mid(start, position - start);
}

// A number field, truncated toward zero; what does not fit a 32-bit integer reads 0.
std::int32_t ReadInt(const CString& text)
{
    const double value = std::trunc(KTNumberText().ToDouble(text));
    if (!(value >= std::numeric_limits<std::int32_t>::min() &&
          value <= std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(value);
}

} // namespace

bool KTVersionRecord::Parse(const CString& line)
{
    m_tag.Empty();
    m_product = 10;
    int position = 0;
    m_tag = NextToken(line, position);
    if (m_tag != "VER")
        return false;
    m_product = ReadInt(NextToken(line, position));
    CString token = NextToken(line, position);
    if (token.IsEmpty())
        return true;
    m_displayName = token;
    if ((token = NextToken(line, position)).IsEmpty())
        return true;
    m_major = ReadInt(token);
    if ((token = NextToken(line, position)).IsEmpty())
        return true;
    m_minor = ReadInt(token);
    if ((token = NextToken(line, position)).IsEmpty())
        return true;
    m_downloadPage = token;
    if ((token = NextToken(line, position)).IsEmpty())
        return true;
    m_whatsNewPage = token;
    return true;
}

QUrl KTVersionRecord::WebPage(const CString& address)
{
    const int length = address.GetLength();
    if (length == 0 || length > 2048)
        return QUrl();
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(address.GetAt(i));
        if (c <= 0x20 || c >= 0x7F)
            return QUrl();
    }
    if (address.Left(7) != "http://" && address.Left(8) != "https://")
        return QUrl();
    const QUrl url(address.ToQString(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return QUrl();
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return QUrl();
    // An address read in another way than it is written ("https://a://b" has an empty port that
    // vanishes, capitals in the host are lowered) is not the page the file names.
    if (url.toString(QUrl::FullyEncoded) != address.ToQString())
        return QUrl();
    return url;
}
