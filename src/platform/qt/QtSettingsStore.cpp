#include "platform/qt/QtSettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace glyphmere::platform::qt {
namespace {

QString qText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString keyPath(std::string_view section, std::string_view key) { return qText(section) + '/' + qText(key); }

std::string failureReason(QSettings::Status status, const QString& file)
{
    const std::string path = QDir::toNativeSeparators(file).toStdString();
    if (status == QSettings::FormatError)
        return "the settings file " + path + " is not in the settings format.";
    return "the settings file " + path + " could not be written.";
}

} // namespace

QtSettingsStore::QtSettingsStore(QString root) : m_root(std::move(root)) {}

QString QtSettingsStore::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString QtSettingsStore::fileOf(std::string_view app) const
{
    return m_root + '/' + qText(app) + '/' + qText(app) + ".ini";
}

std::string QtSettingsStore::getSetting(std::string_view app, std::string_view section, std::string_view key,
                                        std::string_view defaultValue)
{
    const QSettings settings(fileOf(app), QSettings::IniFormat);
    const QVariant value = settings.value(keyPath(section, key));
    // A store that cannot be read counts as empty: every key gives its default.
    if (settings.status() != QSettings::NoError || !value.isValid())
        return std::string(defaultValue);
    return value.toString().toStdString();
}

std::optional<std::string> QtSettingsStore::saveSetting(std::string_view app, std::string_view section,
                                                        std::string_view key, std::string_view value)
{
    QSettings settings(fileOf(app), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return failureReason(settings.status(), settings.fileName());
    settings.setValue(keyPath(section, key), qText(value));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return failureReason(settings.status(), settings.fileName());
    return std::nullopt;
}

} // namespace glyphmere::platform::qt
