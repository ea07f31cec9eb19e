#include "Steps.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>

namespace cooking {

QStringList splitSteps(const QString& method) {
    QString text = method.trimmed();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    static const QRegularExpression numbered(
        QStringLiteral("^\\s*(?:(?:шаг|step)\\s*\\d+\\b|\\d{1,2}\\s*[.)](?!\\d))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    const bool anyNumbered = std::any_of(
        lines.begin(), lines.end(), [](const QString& l) { return numbered.match(l).hasMatch(); });
    const bool paragraphs = !anyNumbered &&
                            std::any_of(lines.begin(), lines.end(),
                                        [](const QString& l) { return l.trimmed().isEmpty(); }) &&
                            lines.size() > 1;
    QStringList steps;
    QString current;
    auto finish = [&] {
        if (!current.trimmed().isEmpty())
            steps << current.trimmed();
        current.clear();
    };
    for (const QString& line : lines) {
        const QString l = line.trimmed();
        if (anyNumbered) {
            if (numbered.match(l).hasMatch())
                finish();
            if (!l.isEmpty())
                current += (current.isEmpty() ? QString() : QStringLiteral("\n")) + l;
        } else if (paragraphs) {
            if (l.isEmpty())
                finish();
            else
                current += (current.isEmpty() ? QString() : QStringLiteral("\n")) + l;
        } else {
            current = l;
            finish();
        }
    }
    finish();
    return steps;
}

namespace {

constexpr int kDay = 24 * 60 * 60;

double numberOf(const QString& text) {
    static const QHash<QString, int> words = {
        {QStringLiteral("одну"), 1},        {QStringLiteral("одна"), 1},
        {QStringLiteral("один"), 1},        {QStringLiteral("две"), 2},
        {QStringLiteral("два"), 2},         {QStringLiteral("пару"), 2},
        {QStringLiteral("три"), 3},         {QStringLiteral("четыре"), 4},
        {QStringLiteral("пять"), 5},        {QStringLiteral("шесть"), 6},
        {QStringLiteral("семь"), 7},        {QStringLiteral("восемь"), 8},
        {QStringLiteral("девять"), 9},      {QStringLiteral("десять"), 10},
        {QStringLiteral("пятнадцать"), 15}, {QStringLiteral("двадцать"), 20},
        {QStringLiteral("тридцать"), 30},   {QStringLiteral("сорок"), 40},
        {QStringLiteral("пятьдесят"), 50}};
    const QString lower = text.toLower();
    if (const auto it = words.constFind(lower); it != words.constEnd())
        return *it;
    return QString(lower).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

int unitSeconds(const QString& unit) {
    const QString u = unit.toLower();
    if (u.startsWith(QStringLiteral("сек")))
        return 1;
    if (u.startsWith(QStringLiteral("мин")))
        return 60;
    return 3600;
}

} // namespace

std::vector<StepTime> findTimes(const QString& step) {
    static const QString num = QStringLiteral(
        "(\\d+(?:[.,]\\d+)?|одну|одна|один|две|два|пару|три|четыре|пять|шесть|семь|восемь|"
        "девять|десять|пятнадцать|двадцать|тридцать|сорок|пятьдесят)");
    static const QString unit =
        QStringLiteral("(секунд[уыа]?|сек\\.?|минут[уыа]?|мин\\.?|часов|часа|час|ч\\.?)(?!\\w)");
    static const QRegularExpression pattern(
        QStringLiteral("(?<!\\w)(?:полтора\\s+часа|полчаса|четверть\\s+часа|"
                       "(?:от\\s+)?%1(?:\\s*(?:[-–—]|до)\\s*%1)?\\s*%2(?:\\s*%1\\s*%2)?|"
                       "(?<=\\s)(?:час|минуту)(?!\\w))")
            .arg(num, unit),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    std::vector<StepTime> out;
    for (auto it = pattern.globalMatch(step); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString whole = m.captured(0).toLower();
        double seconds = 0;
        if (whole.startsWith(QStringLiteral("полтора")))
            seconds = 5400;
        else if (whole == QStringLiteral("полчаса"))
            seconds = 1800;
        else if (whole.startsWith(QStringLiteral("четверть")))
            seconds = 900;
        else if (whole == QStringLiteral("час"))
            seconds = 3600;
        else if (whole == QStringLiteral("минуту"))
            seconds = 60;
        else {
            // The shorter end of a range: when to look.
            seconds = numberOf(m.captured(1)) * unitSeconds(m.captured(3));
            if (!m.captured(5).isEmpty())
                seconds += numberOf(m.captured(4)) * unitSeconds(m.captured(5));
        }
        if (seconds <= 0 || seconds > kDay)
            continue;
        QString label = m.captured(0).trimmed();
        if (label.endsWith(QLatin1Char('.')))
            label.chop(1);
        out.push_back({label, int(seconds)});
    }
    return out;
}

QString clockText(int seconds) {
    seconds = std::max(0, seconds);
    const int h = seconds / 3600;
    const int m = seconds / 60 % 60;
    const int s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

Timers::Timers(Clock clock) : m_clock(std::move(clock)) {
    if (!m_clock)
        m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

int Timers::start(const QString& label, int seconds) {
    m_timers.push_back({m_next, label, m_clock() + qint64(seconds) * 1000, false});
    return m_next++;
}

void Timers::cancel(int id) {
    std::erase_if(m_timers, [id](const Timer& t) { return t.id == id; });
}

std::vector<Timers::Timer> Timers::check() {
    std::vector<Timer> ended;
    const qint64 now = m_clock();
    for (Timer& t : m_timers)
        if (!t.done && now >= t.endsAt) {
            t.done = true;
            ended.push_back(t);
        }
    return ended;
}

int Timers::secondsLeft(const Timer& timer) const {
    return int(std::max<qint64>(0, (timer.endsAt - m_clock() + 999) / 1000));
}

bool Timers::anyRunning() const {
    return std::any_of(m_timers.begin(), m_timers.end(), [](const Timer& t) { return !t.done; });
}

} // namespace cooking
