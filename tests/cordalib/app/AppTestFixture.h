#pragma once
// Each test gets its own settings store and its own application-data folder, so that
// first-run behaviour and defaults are seen from a clean state.

#include "TestSupport.h"
#include "qvsystem/platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

class AppTestFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_dataHome = m_dir.path() + QStringLiteral("/data");
        QDir().mkpath(m_dataHome);
        setenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome).constData(), 1);
        m_storePath = m_dir.path() + QStringLiteral("/config/Corda Software/registry.db");
        AfxSetSettingsStorePath(m_storePath);
    }
    void TearDown() override
    {
        AfxSetSettingsStorePath(QString());
        setenv("XDG_DATA_HOME", m_oldDataHome.constData(), 1);
    }

    QString ProductFolder() const { return m_dataHome + QStringLiteral("/Corda Software/Corda Librarian"); }

    QTemporaryDir m_dir;
    QByteArray m_oldDataHome;
    QString m_dataHome;
    QString m_storePath;
};
