#pragma once

#include <QWidget>

#include "ReadingRun.h"

// Follows a reading run: each tag read is given as access controllers show it, as the tooltip
// of the tag's panel.
class CardLayoutsTooltip final : public ReadingRunObserver {
  public:
    explicit CardLayoutsTooltip(QWidget& panel) : panel_(panel) {}
    void PassEnded(const ReadingPass& pass) override;

  private:
    QWidget& panel_;
};
