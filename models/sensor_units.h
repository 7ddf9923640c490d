#pragma once
// Which sensor records hold temperatures or pressures, and their values in the units the user
// chose. The built-in temperature sensor is code 4 and the pressure sensor code 6; an external
// input counts by the type of sensor chosen for it.

#include "platform/base/cstring.h"

class CSettings;

enum class SensorQuantity { Other, Temperature, Pressure };

// `external`: the id is a type of the sensor-type table; otherwise it is a sensor code.
SensorQuantity SensorQuantityOf(bool external, int id);
// The quantity of the settings' current-sensor record `code` (0..7); Other for any other code.
SensorQuantity SensorQuantityOfCode(const CSettings& settings, int code);

// A value in the base unit (Celsius, kPa) shown in the chosen unit; `unitText` gets that unit's
// text and is left alone for other quantities.
double ToDisplayUnit(const CSettings& settings, SensorQuantity q, double value,
                     CString* unitText = nullptr);
double FromDisplayUnit(const CSettings& settings, SensorQuantity q, double value);

// The index of the unit the settings choose for `q` (0 for other quantities).
int ChosenUnitOf(const CSettings& settings, SensorQuantity q);
// A value shown in unit `from` of its quantity, shown in unit `to` instead.
double ConvertBetweenUnits(SensorQuantity q, double value, int from, int to);
