// What the eight strip displays say on each page; the last step of a refresh.
#pragma once

void refreshStripDisplays();
