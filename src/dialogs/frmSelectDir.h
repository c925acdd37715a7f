#pragma once
// The folder chooser of the options dialog and of the maintenance copy: a list of the
// local volumes and a folder list for them, or any other location (a network share)
// reached through the open-file dialog.
#include "widgets/ModalDialog.h"
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace folders {
// The roots the drive list offers: "/" and the volumes mounted under /media, /mnt,
// /run/media and /home.
QStringList DriveRoots();
// The drive root a folder lies on (the longest root that contains it), "/" by default.
QString DriveOf(const QString& folder, const QStringList& roots);
// A folder on a network file system (NFS, SMB/CIFS, SSHFS and the like).
bool IsNetworkFolder(const QString& folder);

struct Entry {
    QString path;
    int depth = 0;   // indentation
    bool open = false;   // an ancestor of the listed folder, or the folder itself
};
// The folder list around `folder` (which must exist): the folders from `root` down to it,
// then its sub-folders in name order, hidden ones left out.
QList<Entry> ListAround(const QString& folder, const QString& root);
// The nearest existing folder at or above `folder`; "/" at worst.
QString NearestExisting(const QString& folder);
// A folder without a trailing separator, except the root itself.
QString WithoutTrailingSeparator(const QString& folder);
// The folder of a name picked in the file dialog: up to its last "\" (or "/" when it has
// none); the whole name when it has neither; "/" for a file in the root.
QString FolderOfPickedFile(const QString& fileName);
// The name the file dialog starts with: the folder, a separator and "*.*".
QString DialogStartName(const QString& folder);
}

class frmSelectDir : public ModalDialog {
    Q_OBJECT
public:
    explicit frmSelectDir(QWidget* parent = nullptr);

    // The caller sets the current folder, shows the window modally and reads the chosen
    // folder back: without a trailing separator, empty after Cancel.
    QString SelectedDir() const { return m_selectedDir; }
    void setSelectedDir(const QString& folder);

    // Shows the dialog over `owner` starting at `folder`; the chosen folder, empty when
    // cancelled.
    static QString ChooseFolder(QWidget* owner, const QString& folder);

    // The folder the list points at.
    QString CurrentFolder() const;
    // The network option's action: the open-file dialog, then its folder.
    void SelectResource();

    // An answer line is the folder typed in, taken as it is (empty: none chosen).
    QString answerPrompt() const override { return m_selectedDir; }
    void applyAnswer(const QString& answer) override;

public slots:
    void accept() override;
    void reject() override;

private:
    void showSelected();
    void fillFolders(const QString& folder);
    void driveChosen(int index);
    void optionChanged();
    void updateSelectedLabel();

    QString m_selectedDir;
    QStringList m_roots;
    QString m_listedFolder;
    int m_driveIndex = -1;

    QRadioButton* m_optDisks = nullptr;
    QRadioButton* m_optOther = nullptr;
    QComboBox* m_driveSelect = nullptr;
    QListWidget* m_dirSelect = nullptr;
    QLabel* m_lblSelected = nullptr;
    QPushButton* m_cmdSelectRes = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdEsci = nullptr;
};
