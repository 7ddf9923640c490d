#pragma once
// CVarnelDoc: the program's one document. It owns the settings record and the logger object;
// every view and dialog reaches them through it.

#include <functional>
#include <memory>

#include "platform/win/frame.h"

class CDorvik;
class CSettings;

class CVarnelDoc : public CDocument {
public:
    using LoggerFactory = std::function<std::unique_ptr<CDorvik>(CSettings*)>;

    // Reads the settings file, then makes the logger object on them; `makeLogger` stands in for
    // it (tests). The logger is idle until its host window starts it.
    explicit CVarnelDoc(const LoggerFactory& makeLogger = {});
    ~CVarnelDoc() override;
    CVarnelDoc(const CVarnelDoc&) = delete;
    CVarnelDoc& operator=(const CVarnelDoc&) = delete;

    CSettings* GetSettings() const { return m_settings.get(); }
    CDorvik* GetLogger() const { return m_logger.get(); }

private:
    // The logger points at the settings: made after them, destroyed before them.
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CDorvik> m_logger;
};
