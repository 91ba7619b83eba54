#pragma once
// Over a combo box whose choice goes to the device, the mouse wheel, arrow keys and typed
// letters choose nothing: only a click on an item of its open list, or Enter there, does.

class QComboBox;

void RequireExplicitChoice(QComboBox* box);
