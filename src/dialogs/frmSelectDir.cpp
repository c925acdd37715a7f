#include "frmSelectDir.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <QStyle>
#include <QVBoxLayout>

// ---- Folder arithmetic ----------------------------------------------------------------------------
QStringList folders::DriveRoots()
{
    QStringList roots {QStringLiteral("/")};
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady()) continue;
        const QString root = v.rootPath();
        for (const char* place : {"/media/", "/mnt/", "/run/media/", "/home"}) {
            if (root.startsWith(QString::fromLatin1(place)) && !roots.contains(root)) roots << root;
        }
    }
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

QString folders::DriveOf(const QString& folder, const QStringList& roots)
{
    QString best = QStringLiteral("/");
    for (const QString& r : roots) {
        const bool inside = folder == r || folder.startsWith(r.endsWith(u'/') ? r : r + u'/');
        if (inside && r.size() > best.size()) best = r;
    }
    return best;
}

bool folders::IsNetworkFolder(const QString& folder)
{
    if (folder.startsWith(QStringLiteral("//")) || folder.startsWith(QStringLiteral("\\\\"))) return true;
    const QStorageInfo info(NearestExisting(folder));
    if (!info.isValid()) return false;
    const QString type = QString::fromLatin1(info.fileSystemType()).toLower();
    for (const char* t : {"nfs", "cifs", "smb", "sshfs", "9p", "afs", "davfs", "ncpfs", "glusterfs", "ceph"}) {
        if (type.contains(QString::fromLatin1(t))) return true;
    }
    return false;
}

QList<folders::Entry> folders::ListAround(const QString& folder, const QString& root)
{
    QList<Entry> out;
    const QString target = QDir::cleanPath(folder);
    const QString top = QDir::cleanPath(root);
    QStringList chain;   // from the folder up to the root
    for (QString f = target;; f = QFileInfo(f).path()) {
        chain.prepend(f);
        if (f == top || f == QStringLiteral("/") || QFileInfo(f).path() == f) break;
    }
    int depth = 0;
    for (const QString& f : chain) out << Entry {f, depth++, true};
    const QFileInfoList subs
        = QDir(target).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& s : subs) out << Entry {s.absoluteFilePath(), depth, false};
    return out;
}

QString folders::NearestExisting(const QString& folder)
{
    QString f = folder.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(f).isDir()) {
        const QString up = QFileInfo(f).path();
        if (up == f) return QStringLiteral("/");
        f = up;
    }
    return f;
}

QString folders::WithoutTrailingSeparator(const QString& folder)
{
    if (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\'))) return folder.chopped(1);
    return folder;
}

QString folders::FolderOfPickedFile(const QString& fileName)
{
    int cut = fileName.lastIndexOf(u'\\');
    if (cut < 0) cut = fileName.lastIndexOf(u'/');
    if (cut < 0) return fileName;
    if (cut == 0) return fileName.left(1);   // a file in the root: the root, not nothing
    return fileName.left(cut);
}

QString folders::DialogStartName(const QString& folder)
{
    if (folder.endsWith(u'/') || folder.endsWith(u'\\')) return folder + QStringLiteral("*.*");
    return folder + QStringLiteral("/*.*");
}

// ---- The window ------------------------------------------------------------------------------------
frmSelectDir::frmSelectDir(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectDir"));
    setWindowTitle(QStringLiteral("Selezione indirizzario"));

    m_optDisks = new QRadioButton(QStringLiteral("Dischi"), this);
    m_optDisks->setObjectName(QStringLiteral("optResource_0"));
    m_optDisks->setToolTip(QStringLiteral("Seleziona uno dei dischi disponibili"));
    m_optOther = new QRadioButton(QStringLiteral("Altra locazione / Rete"), this);
    m_optOther->setObjectName(QStringLiteral("optResource_1"));
    m_optOther->setToolTip(QStringLiteral("Seleziona una qualsiasi risorsa disponibile"));
    m_driveSelect = new QComboBox(this);
    m_driveSelect->setObjectName(QStringLiteral("driveSelect"));
    m_dirSelect = new QListWidget(this);
    m_dirSelect->setObjectName(QStringLiteral("dirSelect"));
    m_dirSelect->setMinimumSize(260, 200);
    m_lblSelected = new QLabel(this);
    m_lblSelected->setObjectName(QStringLiteral("lblSelected"));
    m_lblSelected->setFrameShape(QFrame::Panel);
    m_lblSelected->setFrameShadow(QFrame::Sunken);
    m_lblSelected->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_cmdSelectRes = new QPushButton(QStringLiteral("&Seleziona Risorsa"), this);
    m_cmdSelectRes->setObjectName(QStringLiteral("cmdSelectRes"));
    m_cmdSelectRes->setToolTip(QStringLiteral("Attiva la selezione della risorsa"));
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdEsci = new QPushButton(QStringLiteral("&Annulla"), this);
    m_cmdEsci->setObjectName(QStringLiteral("cmdEsci"));

    auto* left = new QVBoxLayout;
    left->addWidget(m_optDisks);
    left->addWidget(m_driveSelect);
    left->addWidget(m_dirSelect, 1);
    left->addWidget(m_optOther);
    auto* right = new QVBoxLayout;
    right->addWidget(m_cmdOK);
    right->addWidget(m_cmdEsci);
    right->addStretch(1);
    right->addWidget(m_cmdSelectRes);
    auto* grid = new QGridLayout(this);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addWidget(m_lblSelected, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmSelectDir::accept);
    connect(m_cmdEsci, &QPushButton::clicked, this, &frmSelectDir::reject);
    connect(m_cmdSelectRes, &QPushButton::clicked, this, [this] { SelectResource(); });
    connect(m_optDisks, &QRadioButton::toggled, this, [this] { optionChanged(); });
    connect(m_optOther, &QRadioButton::toggled, this, [this] { optionChanged(); });
    connect(m_optDisks, &QRadioButton::clicked, this, [this] {
        if (m_driveSelect->count() > 0 && m_driveSelect->currentIndex() < 0) m_driveSelect->setCurrentIndex(0);
    });
    // Choosing the other location means choosing one: the dialog opens at once.
    connect(m_optOther, &QRadioButton::clicked, this, [this] {
        if (isVisible() && m_cmdSelectRes->isEnabled()) SelectResource();
    });
    connect(m_driveSelect, &QComboBox::activated, this, [this](int index) { driveChosen(index); });
    connect(m_dirSelect, &QListWidget::currentRowChanged, this, [this] { updateSelectedLabel(); });
    connect(m_dirSelect, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { fillFolders(item->data(Qt::UserRole).toString()); });

    // Load. The library's own default font is not available to this program; the
    // program's configured font applies.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_roots = folders::DriveRoots();
    m_driveSelect->addItems(m_roots);
    showSelected();
    resize(440, 360);
}

void frmSelectDir::setSelectedDir(const QString& folder)
{
    m_selectedDir = folder;
    showSelected();
}

void frmSelectDir::fillFolders(const QString& folder)
{
    const QString existing = folders::NearestExisting(folder.isEmpty() ? QDir::homePath() : folder);
    const QString root = folders::DriveOf(existing, m_roots);
    m_listedFolder = existing;
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    m_dirSelect->blockSignals(true);
    m_dirSelect->clear();
    int currentRow = 0;
    for (const folders::Entry& e : folders::ListAround(existing, root)) {
        const QString name = e.depth == 0 ? e.path : QFileInfo(e.path).fileName();
        auto* item = new QListWidgetItem(e.open ? open : closed, QString(e.depth * 3, u' ') + name, m_dirSelect);
        item->setData(Qt::UserRole, e.path);
        if (e.path == existing) currentRow = m_dirSelect->count() - 1;
    }
    m_dirSelect->setCurrentRow(currentRow);
    m_dirSelect->blockSignals(false);
    const int driveIndex = m_driveSelect->findText(root);
    if (driveIndex >= 0) {
        m_driveSelect->setCurrentIndex(driveIndex);
        m_driveIndex = driveIndex;
    }
    updateSelectedLabel();
}

void frmSelectDir::showSelected()
{
    fillFolders(m_selectedDir);
    const bool local = m_selectedDir.isEmpty() || !folders::IsNetworkFolder(m_selectedDir);
    (local ? m_optDisks : m_optOther)->setChecked(true);
    optionChanged();
    updateSelectedLabel();
}

void frmSelectDir::driveChosen(int index)
{
    const QString root = m_driveSelect->itemText(index);
    if (!QDir(root).isReadable()) {
        // An unreadable volume: back to what was shown, without a word.
        m_driveSelect->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    fillFolders(root);
}

void frmSelectDir::optionChanged()
{
    m_driveSelect->setEnabled(m_optDisks->isChecked());
    m_cmdSelectRes->setEnabled(m_optOther->isChecked());
}

QString frmSelectDir::CurrentFolder() const
{
    const QListWidgetItem* item = m_dirSelect->currentItem();
    return folders::WithoutTrailingSeparator(item ? item->data(Qt::UserRole).toString() : m_listedFolder);
}

void frmSelectDir::updateSelectedLabel()
{
    // Shown as it is written: on this system the case of a path matters.
    m_lblSelected->setText(CurrentFolder());
}

void frmSelectDir::SelectResource()
{
    const std::optional<QString> picked = ui().openFileName(windowTitle(), QStringLiteral("tutti i files|*.*"),
                                                            folders::DialogStartName(m_selectedDir));
    if (!picked || picked->isEmpty()) return;
    m_selectedDir = folders::FolderOfPickedFile(*picked);
    showSelected();
}

void frmSelectDir::accept()
{
    m_selectedDir = CurrentFolder();
    QDialog::accept();
}

void frmSelectDir::applyAnswer(const QString& answer)
{
    m_selectedDir = answer.isEmpty() ? QString() : folders::WithoutTrailingSeparator(answer);
    QDialog::accept();   // the typed folder, not the list's
}

void frmSelectDir::reject()
{
    m_selectedDir.clear();
    QDialog::reject();
}

QString frmSelectDir::ChooseFolder(QWidget* owner, const QString& folder)
{
    frmSelectDir window(owner);
    window.setSelectedDir(folder);
    window.runModal();
    return window.SelectedDir();
}

MV_REGISTER_WINDOW(frmSelectDir);
