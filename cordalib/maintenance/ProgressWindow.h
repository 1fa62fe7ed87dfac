#pragma once
// What a long library operation (synchronization, backup, multiple edits) needs from the
// window that shows its progress. The desktop program implements it with its modeless
// progress dialogs, cordalib-cli with a line on stderr; the operations never see a widget.

#include <QString>

class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;

    // Create over the main window and show.
    virtual bool Create() = 0;
    virtual void SetStatus(const QString& text) = 0;
    virtual void Hide() = 0;
    // Lets pending window messages run first, then tells whether Cancel was pressed.
    virtual bool CheckCancelButton() = 0;
    virtual void Destroy() = 0;

    // The window's title (the backup's "Backup Progress"); windows with a fixed title
    // ignore it.
    virtual void SetCaption(const QString& caption) { (void)caption; }

    // Progress-bar style windows (backup): a range and a step; others ignore them.
    virtual void SetRange(int lower, int upper)
    {
        (void)lower;
        (void)upper;
    }
    virtual void StepIt() {}

    // A message the operation itself must show while it runs (for example the refusal of a
    // synchronization because a folder is missing). It may come before Create (a backup
    // whose archive cannot be created says so before any progress is shown). The type is a message-box type
    // (MB_...); the result is the button pressed, as the message-box functions return it.
    virtual int ShowMessage(const QString& text, unsigned type) = 0;
};
