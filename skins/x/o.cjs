/* Quillora's own skin: a Qt style sheet. The program reads it from x/o.cjs
   beside itself; delete or rename the file to get the plain design back.
   Every colour is a role of the user's palette, so the skin follows a light
   or a dark scheme alike: the window wears the button face. */

QWidget#Form1 {
    background-color: palette(button);
    color: palette(button-text);
}

QPushButton {
    color: palette(button-text);
    background-color: palette(button);
    border: 1px solid palette(mid);
    border-radius: 4px;
    padding: 1px;
}

QPushButton:hover {
    border-color: palette(highlight);
}

/* The keyboard focus: a frame twice as heavy in the highlight colour. */
QPushButton:focus {
    border-width: 2px;
    border-color: palette(highlight);
    padding: 0px;
}

QPushButton:pressed {
    background-color: palette(mid);
}

QPushButton:disabled {
    color: palette(mid);
}

QGroupBox#Frame1 {
    background-color: palette(button);
    color: palette(button-text);
    border: 1px solid palette(mid);
    border-radius: 4px;
    margin-top: 8px;
}

QGroupBox#Frame1::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 3px;
    color: palette(button-text);
    background-color: palette(button);
}

QRadioButton {
    color: palette(button-text);
    background-color: palette(button);
}

QRadioButton::indicator {
    width: 11px;
    height: 11px;
    border: 1px solid palette(button-text);
    border-radius: 6px;
    background-color: palette(base);
}

QRadioButton::indicator:checked {
    background-color: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5,
                                      stop: 0 palette(highlight), stop: 0.55 palette(highlight),
                                      stop: 0.6 palette(base), stop: 1 palette(base));
}

QRadioButton::indicator:disabled {
    border-color: palette(mid);
}

QTreeView, quillora--NumberListView {
    color: palette(text);
    background-color: palette(base);
    border: 1px solid palette(mid);
    selection-color: palette(highlighted-text);
    selection-background-color: palette(highlight);
}

QHeaderView::section {
    color: palette(button-text);
    background-color: palette(button);
    border: 0;
    border-right: 1px solid palette(mid);
    border-bottom: 1px solid palette(mid);
    padding: 2px 4px;
}

/* The chunk runs as a band along the foot of the bar, below the caption, so
   the caption stays on the field colour however far the bar has filled. */
QProgressBar {
    color: palette(text);
    background-color: palette(base);
    border: 1px solid palette(mid);
    border-radius: 4px;
    text-align: center;
}

QProgressBar::chunk {
    background-color: palette(highlight);
    margin-top: 19px;
    border-radius: 2px;
}
