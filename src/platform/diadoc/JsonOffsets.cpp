#include "JsonOffsets.h"

namespace platform::diadoc {

namespace {

// A reader of a well-formed JSON text that walks every value and notes where the wanted one begins.
class Walk final
{
public:
    Walk(const QByteArray& json, const QString& wanted)
        : m_json(json)
        , m_wanted(wanted)
    {
    }

    qint64 run()
    {
        value(QString());
        return m_found;
    }

private:
    char peek() const { return m_at < m_json.size() ? m_json.at(m_at) : '\0'; }

    void skipSpace()
    {
        while (m_at < m_json.size() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++m_at;
    }

    void value(const QString& path)
    {
        skipSpace();
        if (path == m_wanted)
            m_found = m_at;
        switch (peek()) {
        case '{':
            object(path);
            break;
        case '[':
            array(path);
            break;
        case '"':
            string();
            break;
        default:
            scalar();
            break;
        }
    }

    void object(const QString& path)
    {
        ++m_at;
        skipSpace();
        while (m_at < m_json.size() && peek() != '}') {
            const QString key = string();
            skipSpace();
            ++m_at; // ':'
            const QString member = path.isEmpty() ? key : path + u'.' + key;
            // A key given again replaces the whole value before it, what lies inside it included.
            if (m_wanted.startsWith(member)
                && (m_wanted.size() == member.size() || m_wanted.at(member.size()) == u'.'
                    || m_wanted.at(member.size()) == u'['))
                m_found = -1;
            value(member);
            skipSpace();
            if (peek() == ',') {
                ++m_at;
                skipSpace();
            }
        }
        ++m_at;
    }

    void array(const QString& path)
    {
        ++m_at;
        skipSpace();
        for (int index = 0; m_at < m_json.size() && peek() != ']'; ++index) {
            value(path + u'[' + QString::number(index) + u']');
            skipSpace();
            if (peek() == ',')
                ++m_at;
            skipSpace();
        }
        ++m_at;
    }

    // Reads a string from its opening quote; answers its text with the escapes resolved.
    QString string()
    {
        ++m_at;
        QString text;
        qsizetype runStart = m_at;
        const auto takeRun = [&] { text += QString::fromUtf8(m_json.mid(runStart, m_at - runStart)); };
        while (m_at < m_json.size() && peek() != '"') {
            if (peek() != '\\') {
                ++m_at;
                continue;
            }
            takeRun();
            ++m_at;
            const char escaped = peek();
            ++m_at;
            switch (escaped) {
            case 'b':
                text += u'\b';
                break;
            case 'f':
                text += u'\f';
                break;
            case 'n':
                text += u'\n';
                break;
            case 'r':
                text += u'\r';
                break;
            case 't':
                text += u'\t';
                break;
            case 'u':
                text += QChar(static_cast<char16_t>(m_json.mid(m_at, 4).toUInt(nullptr, 16)));
                m_at += 4;
                break;
            default: // '"', '\\', '/'
                text += QLatin1Char(escaped);
                break;
            }
            runStart = m_at;
        }
        takeRun();
        ++m_at;
        return text;
    }

    void scalar()
    {
        while (m_at < m_json.size()) {
            const char c = peek();
            if (c == ',' || c == '}' || c == ']' || c == ' ' || c == '\t' || c == '\n' || c == '\r')
                break;
            ++m_at;
        }
    }

    const QByteArray& m_json;
    const QString& m_wanted;
    qsizetype m_at = 0;
    qint64 m_found = -1;
};

} // namespace

qint64 JsonOffsets::of(const QByteArray& json, const QString& path)
{
    return Walk(json, path).run();
}

} // namespace platform::diadoc
