#pragma once
// Dialogs 272 (File > Export file settings), 293 (File > Unit settings), 297 (File > User
// interface settings) and 144 (File > User data path settings).

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_CSV_SETTINGS = 272;
constexpr UINT IDC_IGNORE_REGIONAL = 1006;

constexpr UINT IDD_UNIT_SETTINGS = 293;
constexpr UINT IDC_TEMPERATURE_LABEL = 4957;
constexpr UINT IDC_PRESSURE_LABEL = 4958;
constexpr UINT IDC_TEMPERATURE_UNIT = 3989;
constexpr UINT IDC_PRESSURE_UNIT = 3990;

constexpr UINT IDD_USER_INTERFACE = 297;
constexpr UINT IDC_LEVEL_BASIC = 2018;
constexpr UINT IDC_LEVEL_SIMPLE = 2019;
constexpr UINT IDC_LEVEL_ADVANCED = 2020;

constexpr UINT IDD_STORAGE_PATH = 144;
constexpr UINT IDC_STORAGE_PATH = 32779;
constexpr UINT IDC_STORAGE_BROWSE = 32780;

const DialogTemplate& CsvSettingsTemplate();
const DialogTemplate& UnitSettingsTemplate();
const DialogTemplate& UserInterfaceTemplate();
const DialogTemplate& StoragePathTemplate();
