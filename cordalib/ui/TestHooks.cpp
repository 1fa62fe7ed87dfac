#include "cordalib/ui/TestHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

QString EventFilePath()
{
    return QFile::decodeName(qgetenv("CORDALIB_TEST_EVENT_FILE"));
}

class CBoxAnswerer : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                QPointer<QMessageBox> guard(box);
                QTimer::singleShot(0, box, [guard] {
                    if (!guard || !guard->isVisible())
                        return;
                    TestHooks::RecordEvent(QStringLiteral("box ") + guard->text().simplified());
                    if (QAbstractButton* button = guard->defaultButton())
                        button->click();
                    else
                        guard->done(0);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

bool TestHooks::IsEventFileSet()
{
    return !EventFilePath().isEmpty();
}

void TestHooks::RecordEvent(const QString& line)
{
    const QString path = EventFilePath();
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

bool TestHooks::SynchronizeAtStart()
{
    return qgetenv("CORDALIB_TEST_SYNCHRONIZE") == "1";
}

bool TestHooks::ExitAfterFirstPaint()
{
    return qgetenv("CORDALIB_BENCH_EXIT_AFTER_PAINT") == "1";
}

void TestHooks::InstallBoxAnswering()
{
    if (qgetenv("CORDALIB_TEST_ANSWER_BOXES") != "1" || !qApp)
        return;
    qApp->installEventFilter(new CBoxAnswerer(qApp));
}
