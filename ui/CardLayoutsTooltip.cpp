#include "CardLayoutsTooltip.h"

#include "CardLayouts.h"

void CardLayoutsTooltip::PassEnded(const ReadingPass& pass) {
    if (pass.outcome != PassOutcome::TagRead) return;
    const CardLayouts layouts = CardLayoutsOf(pass.tag);
    panel_.setToolTip("Wiegand 26: " + Wiegand26Text(layouts) +
                      "\nWiegand 34: " + Wiegand34Text(layouts));
}
