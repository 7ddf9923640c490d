#include "models/sensor_units.h"

#include "logger/helpers.h"
#include "logger/settings.h"

SensorQuantity SensorQuantityOf(bool external, int id) {
    if (external) {
        if (id == 9 || id == 10 || id == 16 || id == 24) return SensorQuantity::Temperature;
        if (id == 18 || id == 19) return SensorQuantity::Pressure;
        return SensorQuantity::Other;
    }
    if (id == 4) return SensorQuantity::Temperature;
    if (id == 6) return SensorQuantity::Pressure;
    return SensorQuantity::Other;
}

SensorQuantity SensorQuantityOfCode(const CSettings& settings, int code) {
    if (code < 0 || code >= CSettings::kSensorSlots) return SensorQuantity::Other;
    if (code == 0 || code == 1) return SensorQuantityOf(true, settings.m_sensorSlots[code].type);
    return SensorQuantityOf(false, code);
}

double ToDisplayUnit(const CSettings& settings, SensorQuantity q, double value, CString* unitText) {
    CString expression, unit;
    double shown = value;
    if (q == SensorQuantity::Temperature)
        shown = ConvertTemperature(value, settings.m_temperatureUnit, expression, unit);
    else if (q == SensorQuantity::Pressure)
        shown = ConvertPressure(value, settings.m_pressureUnit, expression, unit);
    else
        return value;
    if (unitText && !unit.IsEmpty()) *unitText = unit;
    return shown;
}

double FromDisplayUnit(const CSettings& settings, SensorQuantity q, double value) {
    if (q == SensorQuantity::Temperature)
        return ConvertTemperatureToCelsius(value, settings.m_temperatureUnit);
    if (q == SensorQuantity::Pressure) return ConvertPressureToKPa(value, settings.m_pressureUnit);
    return value;
}

int ChosenUnitOf(const CSettings& settings, SensorQuantity q) {
    if (q == SensorQuantity::Temperature) return settings.m_temperatureUnit;
    if (q == SensorQuantity::Pressure) return settings.m_pressureUnit;
    return 0;
}

double ConvertBetweenUnits(SensorQuantity q, double value, int from, int to) {
    if (from == to) return value;
    if (q == SensorQuantity::Temperature)
        return ConvertTemperatureValue(ConvertTemperatureToCelsius(value, from), to);
    if (q == SensorQuantity::Pressure)
        return ConvertPressureValue(ConvertPressureToKPa(value, from), to);
    return value;
}
