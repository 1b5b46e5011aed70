#pragma once

// The list box's view: the rows on screen, selecting them, and editing their
// cells in place (private to the list box's files).

#include "framework/ListCellEditor.h"
#include "framework/WaitingEdit.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <optional>
#include <vector>

class QJsonObject;

namespace fw {

class ListView final : public QTreeView {
public:
    enum class EditEnd { Store, Restore, Drop };

    ListView(ListBox& box, ListModel& model, QWidget* parent);
    ~ListView() override;

    void configure(const QJsonObject& settings);
    // Brings the layout up to date with every row (see rowsInserted).
    void layoutNow();
    // Lays out rows changed below the visible ones without repainting these.
    void layoutQuietly();
    void doItemsLayout() override;

    // Repainting after a change (see ListBox.h).
    int lastVisibleRow() const;
    bool belowView(int row) const { return row > lastVisibleRow(); }
    void rowChanged(int row);
    void applyColumnSettings();
    void applyColumnWidths();
    void setGivenWidths(std::vector<std::optional<int>> widths);
    void showSortIndicator();

    // Selection: rows, sorted; change() when the set of selected rows is no
    // longer the one last reported.
    std::vector<int> selectedRows() const;
    void checkSelection();
    // Holds back change() while the rows are rearranged, then checks once.
    class QuietSelection {
    public:
        explicit QuietSelection(ListView& view) : m_view(view) { ++m_view.m_quiet; }
        ~QuietSelection()
        {
            if (--m_view.m_quiet == 0)
                m_view.checkSelection();
        }
        QuietSelection(const QuietSelection&) = delete;
        QuietSelection& operator=(const QuietSelection&) = delete;

    private:
        ListView& m_view;
    };

    // In-place editing.
    void editCell(int row, int col);
    // Drops an edit waiting out the double-click interval after a click.
    void cancelPendingEdit() { m_waitingEdit.drop(); }
    // The open editor, null when none is.
    QWidget* editorWidget() const;
    // Before rows are removed or reordered: a pending edit is dropped and the
    // view catches up on every row.
    void beforeRowsChange();
    void endEdit(EditEnd how);
    int editedRow() const { return m_editor ? m_editIndex.row() : -1; }
    CellEditor* activeCell() const { return m_editor.data(); }
    void setEditorFont(const QFont& font);
    bool editorKey(CellLineEdit* editor, QKeyEvent* event);
    void editorFocusLost(CellLineEdit* editor);

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void verticalScrollbarValueChanged(int value) override;
    void horizontalScrollbarValueChanged(int value) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateEditorGeometries() override;

private:
    void openEditor(const QModelIndex& index);
    void headingClicked(int col);
    bool someWidthsMissing() const;

    ListBox& m_box;
    ListModel& m_model;
    CellDelegate* m_delegate;
    QPointer<CellLineEdit> m_editor;
    QPersistentModelIndex m_editIndex;
    QString m_textBeforeEdit;
    WaitingEdit m_waitingEdit;
    std::vector<quint64> m_selectedIds;
    std::vector<std::optional<int>> m_givenWidths;
    bool m_heading = false;
    bool m_resizable = false;
    bool m_sortable = true;
    bool m_doubleClickAnywhere = false;
    bool m_applyingWidths = false;
    bool m_userSized = false;   // the user dragged a column's edge
    bool m_repaintAsked = false;   // since the last paint
    bool m_painting = false;
    bool m_layoutOwed = false;   // rows came in below the visible ones
    QTimer m_catchUp;
    int m_quiet = 0;
};

} // namespace fw
