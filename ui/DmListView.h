#pragma once
// A report-style list view: rows with a check box before the caption, grid
// lines, whole-row selection of one row at most, and the last column fitted to
// the room the other columns leave. Only the caption (column 0) can be edited
// in place, by a second click on the selected row's caption; clicking a
// column header never sorts. A screen reader's action on a row ticks it, as
// Space does.

#include <QTreeWidget>
#include <functional>

class QLineEdit;

class TDmListView : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(bool gridLines READ GridLines WRITE setGridLines)

public:
    explicit TDmListView(QWidget *parent = nullptr);

    bool GridLines() const { return m_gridLines; }
    void setGridLines(bool on);

    // Called with every in-place editor before it is shown, so the owner can
    // restrict what may be typed.
    std::function<void(QLineEdit *)> OnCaptionEditor;

    // The last column's fitting rule: the room is the client width, less a
    // vertical scroll bar's width while the list has no rows (so a first row
    // that brings the bar does not also bring a horizontal one). When the
    // other columns leave room, the last column takes it, at least 5 pixels;
    // otherwise it keeps its width.
    void FitLastColumn();

    // Stores a caption being edited in place, as leaving the editor would.
    void CommitEdit();

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_gridLines = false;
    bool m_fitting = false;
    bool m_dragging = false; // a header divider is being dragged
};
