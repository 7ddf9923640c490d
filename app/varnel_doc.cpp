#include "app/varnel_doc.h"

#include "logger/dorvik.h"
#include "logger/serial_port.h"
#include "logger/settings.h"

CVarnelDoc::CVarnelDoc(const LoggerFactory& makeLogger)
    : m_settings(std::make_unique<CSettings>()),
      m_logger(makeLogger ? makeLogger(m_settings.get())
                          : std::make_unique<CDorvik>(m_settings.get())) {}

// The settings are saved on each change and at shut-down, never here.
CVarnelDoc::~CVarnelDoc() = default;
