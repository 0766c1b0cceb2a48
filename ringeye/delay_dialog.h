// The refresh-delay dialog: 1 to 5 seconds between refreshes.
#pragma once

void DelayDialog();
