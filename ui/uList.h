#pragma once

#include "ComparisonRun.h"
#include "run/RunOutcome.h"

#include <memory>
#include <QDialog>
#include <QString>

struct KeptRun;
class IncompleteNote;
class LineView;
class QPushButton;

// The result window: the list in a fixed-pitch, read-only view, copied to the clipboard, saved or
// compared with an earlier list. The comparison's report shows in a window of the same kind
// without a "Vergleichen..." button of its own.
class TfrmList final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmList)

public:
    enum class Kind { Listing, Comparison };
    explicit TfrmList(QWidget* parent = nullptr, Kind kind = Kind::Listing);
    ~TfrmList() override;

    // The search run fills mList and then shows the window modally.
    int showModal();
    // What the run left out of the list in mList; the window says so under the list.
    void setOutcome(const RunOutcome& outcome);
    const RunOutcome& outcome() const { return outcome_; }
    // The records of the run whose list mList shows, so that it saves as a table or JSON Lines
    // too; none in a comparison window.
    void setKeptRun(std::unique_ptr<KeptRun> run);
    // The list in mList names entries without their extensions, where a comparison would not see
    // a renamed extension; "Vergleichen..." refuses it.
    void setNamesWithoutExtensions(bool without) { namesWithoutExtensions_ = without; }

    LineView* mList = nullptr;
    QPushButton* btnCopyToClipboard = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnSaveAs = nullptr;
    QPushButton* btnCompare = nullptr; // none in a comparison window
    IncompleteNote* lbIncomplete = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void createCompareButton();
    QPushButton* createButton(const char* name, const QString& caption, int width);

    void btnCopyToClipboardClick();
    void FormResize();
    void btnSaveAsClick();
    void btnCompareClick();
    void saveList(const QString& fileName, const QString& filter);

    // The save dialog's file name and filter, offered again at the next save.
    QString saveFileName_;
    QString saveFilter_;
    RunOutcome outcome_;
    std::unique_ptr<KeptRun> keptRun_;
    bool namesWithoutExtensions_ = false;
    // The lists opened and saved before, for the next comparison's open dialog.
    ListFileMemory listFiles_;
};

extern TfrmList* frmList;
