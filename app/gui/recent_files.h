// The recent-file list: four entries, most recent first, kept in the
// application profile "Local AppWizard-Generated Applications" (section
// "Recent File List", keys File1 .. File4) through QSettings.
//
// The list is read at start-up and written back whenever it changes, so an
// abnormal end loses nothing.
#pragma once

#include <QString>
#include <QStringList>

inline constexpr const char* profile_organization = "Local AppWizard-Generated Applications";
inline constexpr const char* profile_application = "Tonewarp";

class recent_file_list {
   public:
    explicit recent_file_list(int size);

    // Reads the entries from the profile (missing or empty keys skipped).
    void load();
    // Writes every key, emptying those beyond the list.
    void save() const;

    // Puts path (made absolute) at the top; a path already listed moves up;
    // the oldest entry drops out beyond the size.
    void add(const QString& path);
    void remove(int index);

    const QStringList& paths() const { return paths_; }
    int size() const { return size_; }

   private:
    int size_;
    QStringList paths_;
};
