/* A sample Tidewell skin: a Qt style sheet. To use it, copy the folder "x" with this file
   next to the tidewell executable (so that it sits at <program folder>/x/o.cjs). */

QWidget {
    color: #1b2a3a;
}

/* Light faces of its own go with the dark text, so that the skin reads the same on a dark
   desktop palette as on a light one. */
#Form1, QGroupBox, QLabel, QRadioButton, QCheckBox {
    background-color: #eef3f9;
}

QLineEdit, QAbstractSpinBox, QComboBox, QComboBox QAbstractItemView {
    background-color: #ffffff;
    selection-background-color: #3d7fd6;
    selection-color: #ffffff;
}

QGroupBox {
    border: 1px solid #7a9cc0;
    border-radius: 4px;
    margin-top: 8px;
}

QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 3px;
    color: #1d4f91;
}

QPushButton {
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f4f8fc, stop: 1 #c9dbee);
    border: 1px solid #7a9cc0;
    border-radius: 4px;
}

QPushButton:hover {
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffffff, stop: 1 #dbe8f5);
}

QProgressBar {
    background-color: #ffffff;
    border: 1px solid #7a9cc0;
    border-radius: 3px;
    text-align: center;
}

QProgressBar::chunk {
    background-color: #3d7fd6;
}
