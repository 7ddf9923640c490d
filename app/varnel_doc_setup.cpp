// The document's commands that the set-up window carries out.

#include "app/varnel_doc.h"
#include "experiment/setup_view.h"

void CVarnelDoc::OnExternalSensor1() {
    if (CSetupView* setup = GetSetupView()) setup->SelectExternalSensor(0);
}

void CVarnelDoc::OnExternalSensor2() {
    if (CSetupView* setup = GetSetupView()) setup->SelectExternalSensor(1);
}
