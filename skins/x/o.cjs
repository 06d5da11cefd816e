/* Quillora's own skin: a Qt style sheet. The program reads it from x/o.cjs
   beside itself; delete or rename the file to get the plain design back. */

QWidget#Form1 {
    background-color: #e9eef4;
}

QPushButton {
    color: #16324f;
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fdfeff, stop: 1 #d6e2ee);
    border: 1px solid #7f9bb8;
    border-radius: 4px;
}

QPushButton:hover {
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #c3d6ea);
    border-color: #2f6aa3;
}

QPushButton:pressed {
    background-color: #b4cbe3;
}

QPushButton:disabled {
    color: #8a98a8;
    border-color: #b9c5d2;
}

QGroupBox#Frame1 {
    background-color: #e9eef4;
    border: 1px solid #7f9bb8;
    border-radius: 4px;
    margin-top: 8px;
}

QGroupBox#Frame1::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 3px;
    color: #16324f;
}

QRadioButton {
    color: #16324f;
    background-color: transparent;
}

QTreeView {
    background-color: #ffffff;
    border: 1px solid #7f9bb8;
    selection-background-color: #2f6aa3;
    selection-color: #ffffff;
}

QHeaderView::section {
    color: #16324f;
    background-color: #d6e2ee;
    border: 0;
    border-right: 1px solid #a9bdd1;
    border-bottom: 1px solid #7f9bb8;
    padding: 2px 4px;
}

QProgressBar {
    color: #16324f;
    background-color: #ffffff;
    border: 1px solid #7f9bb8;
    border-radius: 4px;
    text-align: center;
}

QProgressBar::chunk {
    background-color: #8fb4d9;
    border-radius: 3px;
}

QRadioButton::indicator {
    width: 11px;
    height: 11px;
    border: 1px solid #7f9bb8;
    border-radius: 6px;
    background-color: #ffffff;
}

QRadioButton::indicator:checked {
    background-color: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5,
                                      stop: 0 #2f6aa3, stop: 0.55 #2f6aa3, stop: 0.6 #ffffff, stop: 1 #ffffff);
}

QRadioButton::indicator:disabled {
    border-color: #b9c5d2;
}
