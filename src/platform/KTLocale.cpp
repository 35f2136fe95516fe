#include "platform/KTLocale.h"

#include <QLocale>

#include <clocale>
#include <optional>

namespace {

struct LocaleOverride
{
    char decimal;
    char list;
    int country;
};

std::optional<LocaleOverride>& Overridden()
{
    static std::optional<LocaleOverride> value;
    return value;
}

int CountryCodeOf(QLocale::Territory territory)
{
    // The telephone codes of the territories whose defaults differ (Sweden, Italy, Finland, the
    // Netherlands and Belgium have texts of their own), and of our main markets.
    switch (territory) {
    case QLocale::UnitedStates: return 1;
    case QLocale::Canada: return 2;
    case QLocale::Netherlands: return 31;
    case QLocale::Belgium: return 32;
    case QLocale::France: return 33;
    case QLocale::Spain: return 34;
    case QLocale::Italy: return 39;
    case QLocale::Switzerland: return 41;
    case QLocale::Austria: return 43;
    case QLocale::UnitedKingdom: return 44;
    case QLocale::Denmark: return 45;
    case QLocale::Sweden: return 46;
    case QLocale::Norway: return 47;
    case QLocale::Germany: return 49;
    case QLocale::Australia: return 61;
    case QLocale::NewZealand: return 64;
    case QLocale::Singapore: return 65;
    case QLocale::Japan: return 81;
    case QLocale::Ireland: return 353;
    case QLocale::Finland: return 358;
    default: return 1;
    }
}

} // namespace

namespace KTLocale {

char DecimalSeparator()
{
    if (Overridden())
        return Overridden()->decimal;
    const QString sep = QLocale::system().decimalPoint();
    return sep == QStringLiteral(",") ? ',' : '.';
}

char ListSeparator()
{
    if (Overridden())
        return Overridden()->list;
    return DecimalSeparator() == ',' ? ';' : ',';
}

int CountryCode()
{
    if (Overridden())
        return Overridden()->country;
    // The default locale is the system's unless the process chose another.
    return CountryCodeOf(QLocale().territory());
}

void Override(char decimal, char list, int country) { Overridden() = LocaleOverride{decimal, list, country}; }

void ClearOverride() { Overridden().reset(); }

void UseCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

} // namespace KTLocale
