#pragma once

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QIcon>
#include <QString>

#include "Shapes.h"

// The looks that the window's controls share.

// The desktop's sans-serif font at a pixel size, with a CJK fallback so that the Chinese
// captions render in the same size.
QFont SansFont(int pixelSize, bool bold);

// Single-line border, the palette's highlight colour behind yellow bold 16 px text.
void SetHighlightLook(TPanel* panel);
// The same colours on a drop-down list, its closed face and its open list alike.
void SetHighlightColours(QComboBox* list);
// The height of every row of a drop-down list's open list, in pixels.
void SetItemHeight(QComboBox* list, int height);

// A 34 x 16 picture of a word in red on a transparent ground, for the language buttons.
QIcon WordPicture(const QString& word, qreal devicePixelRatio);
