#include "editor/EffectConnection.h"

#include "effect/QuenchboxEffect.h"
#include "engine/ResponseCurves.h"

#include <mutex>

namespace quenchbox::editor {

EffectConnection::EffectConnection(effect::QuenchboxEffect* owner) : quenchbox(owner)
{
    quenchbox->attachMeterHandoff(&meters);
}

float EffectConnection::parameter(int index) { return quenchbox->getParameter(index); }

void EffectConnection::beginEdit(int index) { quenchbox->beginEdit(index); }

void EffectConnection::performEdit(int index, float value) { quenchbox->setParameterAutomated(index, value); }

void EffectConnection::endEdit(int index) { quenchbox->endEdit(index); }

float EffectConnection::programValue(int index) { return quenchbox->programValue(index); }

bool EffectConnection::hostMenu(int index, effect::HostMenu& menu)
{
    menu.count = 0;
    effect::HostMenus* host = quenchbox->hostMenusForEditor();
    return host != nullptr && host->hostMenu(index, menu) && menu.count > 0;
}

void EffectConnection::chooseHostMenuItem(int index, int item)
{
    if (effect::HostMenus* host = quenchbox->hostMenusForEditor())
        host->chooseHostMenuItem(index, item);
}

float EffectConnection::sampleRate() { return quenchbox->getSampleRate(); }

// The curves are recomputed only when the engine has published new
// coefficients, under the display lock that keeps them from being seen half
// published.
bool EffectConnection::updateResponse(engine::ResponseCurves& curves)
{
    using Effect = effect::QuenchboxEffect;
    // Read before the display lock: no thread holds two of the effect's locks.
    const float rate = quenchbox->getSampleRate();
    const bool oversampled = quenchbox->getParameter(effect::kOversample) > 0.5f;
    std::lock_guard<effect::EffectLock> guard(quenchbox->displayLockForEditor());
    const std::uint32_t dirty = quenchbox->displayDirtyBits();
    if (dirty == 0)
        return false;
    if (dirty & Effect::kGridDirty)
        curves.computeGrid(rate, oversampled);
    if (dirty & Effect::kPreCurveDirty)
        curves.computePre(quenchbox->driveEngine());
    if (dirty & Effect::kPostCurveDirty)
        curves.computePost(quenchbox->driveEngine());
    quenchbox->displayDirtyBits() = 0;
    return true;
}

effect::StageMeters EffectConnection::stageMeters()
{
    std::lock_guard<effect::EffectLock> guard(meters.lock);
    effect::StageMeters reading;
    reading.solver = meters.solver;
    reading.stageA = meters.stageA;
    reading.stageB = meters.stageB;
    return reading;
}

void EffectConnection::requestResize(int width, int height) { quenchbox->sizeWindow(width, height); }

}  // namespace quenchbox::editor
