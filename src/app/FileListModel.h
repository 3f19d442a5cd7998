#pragma once
// The rows of the main window's file list. A row keeps its check state and image, as the list
// shows them, and a reference to the install-plan member it stands for (owned by the plan); its
// texts are the member's, read when the view asks for them, so a row costs no copy of them. The
// list can hold many rows, so rows are found by member through an index sorted by address.
#include <QAbstractTableModel>
#include <QIcon>
#include <QVector>

#include <functional>
#include <vector>

namespace qm {

class TFileMember;

struct TFileRow {
    TFileMember* Member = nullptr;
    int ImageIndex = 0;
    bool Checked = false;
    bool Clash = false; // another installed file goes to the same destination
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
    // The text of the date column for a member's day count.
    std::function<QString(double dayCount)> DateText;

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

    // The text a column shows for a row (empty for a row without a member).
    QString Text(int row, int column) const;

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
    // The rows that have a member, ordered by member address; made again when first asked
    // after a change of rows.
    mutable std::vector<int> FRowOfMember;
    mutable bool FIndexStale = false;
    QVector<QIcon> FImages;
    int FUpdateDepth = 0;
    bool FResetting = false;   // a reset began inside the current bracket
    bool FDataChanged = false; // rows changed inside the current bracket
};

} // namespace qm
