/* Bytemarsh skin "Slate": a quiet grey-blue look with rounded buttons.
   To use it yourself, copy this file to ~/.config/Quillory/Bytemarsh.cjs (or
   $XDG_CONFIG_HOME/Quillory/Bytemarsh.cjs) and start the program again; remove the copy to
   return to the plain look. For every user of the computer, copy it to x/o.cjs inside the
   program folder (the folder that holds the program) instead; a user's own skin wins. */

QWidget#Form1 {
    background-color: #eef1f4;
}

QPushButton {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #e2e7ed);
    border: 1px solid #9aa7b4;
    border-radius: 5px;
    color: #1d2a36;
    padding: 2px 8px;
}

QPushButton:hover {
    border-color: #2f7d86;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #d7eef0);
}

QPushButton:pressed {
    background-color: #cfdde6;
}

QPushButton:focus {
    border: 2px solid #2f7d86;
}

QGroupBox {
    border: 1px solid #9aa7b4;
    border-radius: 5px;
    margin-top: 7px;
    color: #1d2a36;
}

QGroupBox::title {
    subcontrol-origin: margin;
    left: 10px;
    padding: 0 4px;
}

QRadioButton {
    color: #1d2a36;
}

QTreeView {
    background-color: #ffffff;
    alternate-background-color: #f4f7f9;
    border: 1px solid #9aa7b4;
    border-radius: 3px;
    color: #1d2a36;
    selection-background-color: #2f7d86;
    selection-color: #ffffff;
}

QHeaderView {
    background-color: #e2e7ed;
}

QHeaderView::section {
    background-color: #e2e7ed;
    border: none;
    border-right: 1px solid #c3ccd5;
    border-bottom: 1px solid #c3ccd5;
    padding: 2px 6px;
    color: #1d2a36;
    font-weight: bold;
}

QToolTip {
    background-color: #fdfbe9;
    border: 1px solid #b9ae7d;
    color: #2a2616;
    padding: 3px;
}

QMessageBox, QInputDialog, QFileDialog {
    background-color: #eef1f4;
}
