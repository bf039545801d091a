// The I2C bus speeds the card supports, in kHz, and the driver's code for each.
#pragma once

// Ascending, ended by 0; handed out by DCardGetI2CSpeeds.
extern const int kI2CSpeeds[9];

// The code of a speed: a listed speed its own, one between two listed
// speeds the lower one's, below 5 kHz 5's, above 533 kHz 533's.
int i2cSpeedCode(int speed);
