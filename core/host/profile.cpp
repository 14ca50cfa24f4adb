#include "core/host/profile.h"

#include "core/host/hosttools.h"
#include "core/host/inifile.h"

namespace {

// The copy the open batches share; loaded is false when the INI could not be read,
// and then nothing is written over it.
struct BatchState {
    IniFile ini;
    bool loaded = false;
    int depth = 0;
};

BatchState& batch()
{
    static BatchState state;
    return state;
}

QString read(const QString& section, const QString& key, bool* found)
{
    *found = false;
    BatchState& state = batch();
    if (state.depth > 0)
        return state.loaded ? state.ini.value(section, key, {}, found) : QString();
    IniFile ini;
    if (!ini.load(HostTools::iniFileName(0)))
        return {};
    return ini.value(section, key, {}, found);
}

// A missing value removes the key. Unchanged values leave the file untouched.
bool apply(IniFile& ini, const QString& section, const QString& key, const QString* value)
{
    if (!value) {
        ini.remove(section, key);
        return true;
    }
    if (value->contains(QLatin1Char('\n')) || value->contains(QLatin1Char('\r'))
        || value->contains(QChar(0)))
        return false;
    bool found = false;
    if (ini.value(section, key, {}, &found) != *value || !found)
        ini.setValue(section, key, *value);
    return true;
}

bool write(const QString& section, const QString& key, const QString* value)
{
    BatchState& state = batch();
    if (state.depth > 0)
        return state.loaded && apply(state.ini, section, key, value);
    IniFile ini;
    if (!ini.load(HostTools::iniFileName(0)) || !apply(ini, section, key, value))
        return false;
    return !ini.isModified() || ini.save();
}

bool writeText(const QString& section, const QString& key, const QString& value)
{
    return write(section, key, &value);
}

} // namespace

Profile::Batch::Batch()
{
    BatchState& state = batch();
    if (state.depth++ == 0)
        state.loaded = state.ini.load(HostTools::iniFileName(0));
}

Profile::Batch::~Batch()
{
    BatchState& state = batch();
    if (--state.depth == 0 && state.loaded && state.ini.isModified())
        state.ini.save();
}

int Profile::getInt(const QString& section, const QString& key, int defaultValue)
{
    bool found = false;
    bool ok = false;
    const int value = read(section, key, &found).toInt(&ok);
    return found && ok ? value : defaultValue;
}

QString Profile::getString(const QString& section, const QString& key, const QString& defaultValue)
{
    bool found = false;
    const QString value = read(section, key, &found);
    if (!found)
        return defaultValue;
    // Quotes round the whole value only protect its spaces, for the Windows
    // programs that read the same file and drop them.
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

QStringList Profile::getStringList(const QString& section, const QString& key)
{
    bool found = false;
    const QString value = read(section, key, &found);
    return value.isEmpty() ? QStringList() : value.split(QLatin1Char(','));
}

QByteArray Profile::getByteArray(const QString& section, const QString& key)
{
    bool found = false;
    const auto decoded = QByteArray::fromBase64Encoding(
        read(section, key, &found).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

bool Profile::writeInt(const QString& section, const QString& key, int value)
{
    return writeText(section, key, QString::number(value));
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value)
{
    return writeText(section, key, value);
}

bool Profile::writeStringList(const QString& section, const QString& key, const QStringList& value)
{
    return writeText(section, key, value.join(QLatin1Char(',')));
}

bool Profile::writeByteArray(const QString& section, const QString& key, const QByteArray& value)
{
    return writeText(section, key, QString::fromLatin1(value.toBase64()));
}

bool Profile::remove(const QString& section, const QString& key)
{
    return write(section, key, nullptr);
}
