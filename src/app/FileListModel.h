#pragma once
// The rows of the main window's file list. A row keeps its own texts, check state and image, as
// the list shows them, plus a reference to the install-plan member it stands for (owned by the
// plan). The list can hold many rows, so rows are found by member through a hash.
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QVector>

#include <functional>

namespace qm {

class TFileMember;

struct TFileRow {
    TFileMember* Member = nullptr;
    QString Caption;    // file name
    QString Folder;     // folder inside the archive
    QString InstallDir; // with a trailing separator
    QString Date;
    double FileDate = 0;
    int ImageIndex = 0;
    bool Checked = false;
};

class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum { ColName, ColFolder, ColInstallPath, ColDate, ColumnCount };

    explicit TFileListModel(QObject* parent = nullptr);

    // The six state images: ordinary, main executable, help file, then the same with a shortcut.
    void SetStateImages(const QVector<QIcon>& images) { FImages = images; }
    // Raised when the user (or code through setData) changed a row's check box.
    std::function<void(int row)> OnChange;

    // List-wide changes in one bracket: everything between Begin and End shows as one reset.
    void BeginUpdate();
    void EndUpdate();
    void Clear();
    void AddRow(const TFileRow& row);

    int Count() const { return static_cast<int>(FRows.size()); }
    TFileRow& Row(int index) { return FRows[index]; }
    const TFileRow& Row(int index) const { return FRows[index]; }
    // The row of a member, or -1.
    int IndexOfMember(const TFileMember* member) const;
    // Tells the views that a row's content changed (inside a bracket: once, at its end).
    void RowChanged(int index);
    void SetChecked(int index, bool checked);

    // One sort by a column, ascending: names and folders as texts ignoring ASCII case, the date
    // column by the members' dates.
    void SortByColumn(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void Reindex();
    void BeginStructureChange();
    void EndStructureChange();

    QVector<TFileRow> FRows;
    QHash<const TFileMember*, int> FRowOfMember;
    QVector<QIcon> FImages;
    int FUpdateDepth = 0;
    bool FResetting = false;   // a reset began inside the current bracket
    bool FDataChanged = false; // rows changed inside the current bracket
};

} // namespace qm
