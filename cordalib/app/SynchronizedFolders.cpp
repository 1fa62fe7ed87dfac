#include "cordalib/app/SynchronizedFolders.h"

QString CSynchronizedFolders::FolderKey(unsigned number)
{
    return QString::fromLatin1(SECTION) + QLatin1Char('\\') + QString::asprintf(FOLDER_KEY_FORMAT, number);
}

void CSynchronizedFolders::Load()
{
    m_folders.clear();
    uint32_t count = m_profile.GetProfileInt(QString::fromLatin1(SECTION), QString::fromLatin1(COUNT), 0);
    if (count > static_cast<uint32_t>(MAX_FOLDERS))
        count = MAX_FOLDERS;
    for (unsigned number = 1; number <= count; ++number)
        m_folders.append(m_profile.GetProfileString(FolderKey(number), QString::fromLatin1(PATH), QString()));
}

bool CSynchronizedFolders::Save() const
{
    bool ok = m_profile.WriteProfileInt(QString::fromLatin1(SECTION), QString::fromLatin1(COUNT),
                                        static_cast<uint32_t>(m_folders.size()));
    for (int i = 0; i < m_folders.size(); ++i) {
        const QString& folder = m_folders[i];
        if (!m_profile.WriteProfileString(FolderKey(static_cast<unsigned>(i + 1)), QString::fromLatin1(PATH),
                                          folder.isNull() ? QString(QLatin1String("")) : folder))
            ok = false;
    }
    return ok;
}

bool CSynchronizedFolders::SetFolders(const QStringList& folders, bool save)
{
    if (folders.size() > MAX_FOLDERS)
        return false;
    m_folders = folders;
    return save ? Save() : true;
}

int CSynchronizedFolders::Find(const QString& folder) const
{
    for (int i = 0; i < m_folders.size(); ++i) {
        if (m_folders[i].compare(folder, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
