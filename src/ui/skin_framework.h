#pragma once

#include <QString>

class QWidget;

// The skin component: a Qt style sheet loaded from a skin file and laid over a window.
// Used as the window drives it: load, set options and switches, then apply.
class SkinFramework
{
public:
    // Option bits.
    enum Option : int {
        // The skin also reaches the boxes and dialogs the program opens later, not only the
        // window it is applied to.
        SkinDialogs = 1,
    };

    // Reads the skin file. A non-empty variant names a second sheet beside it whose rules are
    // laid over the skin's own. Throws RuntimeError when a file cannot be read.
    void LoadSkin(const QString& path, const QString& variant);

    int Options() const { return options_; }
    void SetOptions(int options) { options_ = options; }

    // Whether the skin's colour rules (colours, backgrounds, borders' colours) are used.
    void SetApplyColors(bool apply) { applyColors_ = apply; }
    // Whether the skin's metric rules (fonts, padding, margins, sizes, radii) are used.
    void SetApplyMetrics(bool apply) { applyMetrics_ = apply; }

    // Lays the loaded skin over the window (and, with SkinDialogs, over the whole program).
    // Throws RuntimeError when no skin was loaded.
    void ApplyWindow(QWidget* window);

    bool loaded() const { return loaded_; }
    int applications() const { return applications_; }
    // The sheet as ApplyWindow lays it: the loaded rules less the switched-off ones.
    QString effectiveStyleSheet() const;

private:
    QString sheet_;
    bool loaded_ = false;
    int options_ = 0;
    bool applyColors_ = false;
    bool applyMetrics_ = false;
    int applications_ = 0;
};
