// Starting the application as the program does, for the frame tests.
#pragma once

#include <memory>

#include "app/gui/doc_template.h"
#include "app/gui/main_frame.h"
#include "app/gui/placeholder_view.h"
#include "app/gui/tonewarp_app.h"

inline std::unique_ptr<CTonewarpApp> start_app(const QStringList& args = {"tonewarp"}) {
    auto app =
        std::make_unique<CTonewarpApp>([](doc_entry& d) -> QWidget* { return new placeholder_view(d); });
    if (!app->init_instance(args)) return nullptr;
    return app;
}
