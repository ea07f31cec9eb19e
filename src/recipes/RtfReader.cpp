#include "RtfReader.h"

#include "RtfText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>
#include <map>
#include <vector>

namespace {

enum class Destination { Text, FontTable, Skip };

struct FontDef {
    QString name;
    QFont::StyleHint hint = QFont::AnyStyle;
};

struct GroupState {
    Destination destination = Destination::Text;
    int font = -1;
    double size = 12.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int unicodeSkip = 1;
};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Families that stand in for the document's Windows fonts on a Linux desktop.
QStringList familiesFor(const FontDef& font) {
    QStringList families{font.name};
    if (font.name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
        font.hint == QFont::SansSerif)
        families << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
    else if (font.name.startsWith(QLatin1String("Times"), Qt::CaseInsensitive) ||
             font.hint == QFont::Serif)
        families << QStringLiteral("Liberation Serif") << QStringLiteral("DejaVu Serif");
    return families;
}

class Reader {
public:
    Reader(const QByteArray& rtf, QTextDocument* doc) : m_in(rtf), m_cursor(doc) {}

    void run() {
        m_cursor.document()->clear();
        m_cursor = QTextCursor(m_cursor.document());
        // One edit block: otherwise every insertion lays out its paragraph again to place
        // the cursor, and a long method takes seconds.
        m_cursor.beginEditBlock();
        m_stack.push_back(GroupState());
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{':
                flush();
                m_stack.push_back(m_stack.back());
                break;
            case '}':
                flush();
                endFontEntry();
                if (m_stack.size() > 1)
                    m_stack.pop_back();
                break;
            case '\\':
                control();
                break;
            case '\r':
            case '\n':
                break;
            default:
                byte(c);
                break;
            }
        }
        flush();
        m_cursor.endEditBlock();
    }

private:
    GroupState& state() { return m_stack.back(); }

    void byte(char c) {
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        if (state().destination == Destination::FontTable) {
            if (c == ';')
                endFontEntry();
            else
                m_fontName += c;
            return;
        }
        if (state().destination == Destination::Skip)
            return;
        m_pendingBytes += c;
    }

    void character(QChar ch) {
        if (state().destination != Destination::Text)
            return;
        decodeBytes();
        m_pending += ch;
    }

    void decodeBytes() {
        if (!m_pendingBytes.isEmpty()) {
            m_pending += rtf::fromCp1251(m_pendingBytes);
            m_pendingBytes.clear();
        }
    }

    void flush() {
        decodeBytes();
        if (m_pending.isEmpty())
            return;
        m_cursor.insertText(m_pending, format());
        m_pending.clear();
    }

    QTextCharFormat format() const {
        const GroupState& s = m_stack.back();
        QTextCharFormat f;
        auto font = m_fonts.find(s.font);
        if (font != m_fonts.end()) {
            f.setFontFamilies(familiesFor(font->second));
            f.setFontStyleHint(font->second.hint);
        }
        f.setFontPointSize(s.size);
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        return f;
    }

    void endFontEntry() {
        if (state().destination != Destination::FontTable || m_fontNumber < 0)
            return;
        FontDef& def = m_fonts[m_fontNumber];
        def.name = rtf::fromCp1251(m_fontName).trimmed();
        def.hint = m_fontHint;
        m_fontNumber = -1;
        m_fontName.clear();
        m_fontHint = QFont::AnyStyle;
    }

    void control() {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!isLetter(c)) {
            ++m_pos;
            symbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const QByteArray word = m_in.mid(start, m_pos - start);
        bool hasParam = false;
        int param = 0;
        qsizetype numStart = m_pos;
        if (m_pos < m_in.size() && m_in[m_pos] == '-')
            ++m_pos;
        while (m_pos < m_in.size() && isDigit(m_in[m_pos]))
            ++m_pos;
        if (m_pos > numStart && !(m_pos == numStart + 1 && m_in[numStart] == '-')) {
            hasParam = true;
            param = m_in.mid(numStart, m_pos - numStart).toInt();
        } else {
            m_pos = numStart;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiter belongs to the word
        word_(word, hasParam, param);
    }

    void symbol(char c) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (state().destination == Destination::FontTable)
                m_fontName += c;
            else if (state().destination == Destination::Text)
                byte(c);
            break;
        case '\'': {
            // Two hex digits make a byte; a broken escape is dropped with what digits it has.
            int value = 0, digits = 0;
            while (digits < 2 && m_pos < m_in.size() && hexValue(m_in[m_pos]) >= 0) {
                value = value * 16 + hexValue(m_in[m_pos++]);
                ++digits;
            }
            if (digits == 2)
                byte(char(value));
            break;
        }
        case '*':
            flush();
            state().destination = Destination::Skip;
            break;
        case '~':
            character(QChar::Nbsp);
            break;
        case '_':
            character(QChar(0x2011));
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            break; // \- and other symbols: nothing to show
        }
    }

    void paragraph() {
        if (state().destination != Destination::Text)
            return;
        flush();
        m_cursor.insertBlock();
    }

    void setFlag(bool GroupState::*flag, bool on) {
        flush();
        state().*flag = on;
    }

    void word_(const QByteArray& w, bool hasParam, int param) {
        Destination dest = state().destination;
        if (dest == Destination::Skip)
            return;
        if (dest == Destination::FontTable) {
            if (w == "f") {
                endFontEntry();
                m_fontNumber = param;
            } else if (w == "fswiss") {
                m_fontHint = QFont::SansSerif;
            } else if (w == "froman") {
                m_fontHint = QFont::Serif;
            } else if (w == "fmodern") {
                m_fontHint = QFont::TypeWriter;
            } else if (w == "fscript") {
                m_fontHint = QFont::Cursive;
            } else if (w == "fdecor") {
                m_fontHint = QFont::Decorative;
            }
            return;
        }
        const bool on = !hasParam || param != 0;
        if (w == "par") {
            paragraph();
        } else if (w == "line") {
            character(QChar::LineSeparator);
        } else if (w == "tab") {
            character(QLatin1Char('\t'));
        } else if (w == "f") {
            flush();
            state().font = param;
        } else if (w == "fs") {
            flush();
            state().size = hasParam && param > 0 ? param / 2.0 : 12.0;
        } else if (w == "b") {
            setFlag(&GroupState::bold, on);
        } else if (w == "i") {
            setFlag(&GroupState::italic, on);
        } else if (w == "ul") {
            setFlag(&GroupState::underline, on);
        } else if (w == "ulnone") {
            setFlag(&GroupState::underline, false);
        } else if (w == "plain") {
            flush();
            GroupState& s = state();
            s.bold = s.italic = s.underline = false;
            s.size = 12.0;
        } else if (w == "u") {
            int code = param < 0 ? param + 65536 : param;
            character(QChar(char16_t(code)));
            m_skipChars = state().unicodeSkip;
        } else if (w == "uc") {
            state().unicodeSkip = std::max(0, param);
        } else if (w == "fonttbl") {
            flush();
            state().destination = Destination::FontTable;
        } else if (w == "colortbl" || w == "stylesheet" || w == "info" || w == "pict" ||
                   w == "header" || w == "footer" || w == "footnote" || w == "object" ||
                   w == "listtable" || w == "themedata" || w == "latentstyles") {
            flush();
            state().destination = Destination::Skip;
        } else if (w == "emdash") {
            character(QChar(0x2014));
        } else if (w == "endash") {
            character(QChar(0x2013));
        } else if (w == "bullet") {
            character(QChar(0x2022));
        } else if (w == "lquote") {
            character(QChar(0x2018));
        } else if (w == "rquote") {
            character(QChar(0x2019));
        } else if (w == "ldblquote") {
            character(QChar(0x201C));
        } else if (w == "rdblquote") {
            character(QChar(0x201D));
        }
        // Anything else is formatting this reader does not show.
    }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    std::map<int, FontDef> m_fonts;
    int m_fontNumber = -1;
    QByteArray m_fontName;
    QFont::StyleHint m_fontHint = QFont::AnyStyle;
    QByteArray m_pendingBytes;
    QString m_pending;
    int m_skipChars = 0;
};

} // namespace

void readRtf(const QByteArray& rtf, QTextDocument* document) {
    Reader reader(rtf, document);
    reader.run();
}

void alignTabStops(QTextDocument* document) {
    // The widest text that stands before a tab on any line, in the units tab positions
    // are given in (pixels at the screen's resolution, scaled for a printer by the layout).
    qreal widest = -1;
    qreal gap = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        qreal lineWidth = 0;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QFont font = fragment.charFormat().font().resolve(document->defaultFont());
            const QFontMetricsF metrics(font);
            const QString text = fragment.text();
            qsizetype start = 0;
            for (qsizetype i = 0; i <= text.size(); ++i) {
                const bool end = i == text.size();
                if (!end && text[i] != QLatin1Char('\t') && text[i] != QChar::LineSeparator)
                    continue;
                lineWidth += metrics.horizontalAdvance(text.mid(start, i - start));
                start = i + 1;
                if (end)
                    break;
                if (text[i] == QLatin1Char('\t')) {
                    widest = std::max(widest, lineWidth);
                    gap = std::max(gap, metrics.horizontalAdvance(QStringLiteral("  ")));
                }
                lineWidth = 0;
            }
        }
    }
    if (widest < 0)
        return;
    // On the blocks themselves, so that a copy of the document (for printing) keeps them.
    QTextBlockFormat format;
    format.setTabPositions({QTextOption::Tab(std::ceil(widest + gap), QTextOption::LeftTab)});
    QTextCursor cursor(document);
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(format);
}
