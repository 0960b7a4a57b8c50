#include "config/SetupDialogModel.h"

#include "config/ConfigFile.h"
#include "config/OutputMapping.h"
#include "config/SetupValidation.h"
#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/Platform.h"
#include "util/ReportFailure.h"
#include "util/RuntimeError.h"
#include "util/Version.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvantis {

namespace {

// The dialog's handlers report a run-time failure under their own label and go on.
template <typename Step> void reportingFailure(const char *label, Step &&step)
{
    try {
        step();
    } catch (const RuntimeError &error) {
        ShowFailure(label, error.description());
    }
}

void showCheckFailure(const std::string &message)
{
    platform().messageBox(message, kProgramTitle, MessageButtons::Ok, MessageIcon::None);
}

std::unique_ptr<clsRouter> newRouter(int slot)
{
    auto router = std::make_unique<clsRouter>();
    router->SetFrameAddress(slot);
    return router;
}

} // namespace

SetupDialogModel::SetupDialogModel(const Settings &settings, const RouterTable &routers)
    : m_routers(routers), m_paired(settings.MatrixSize)
{
    // The port number is the name's last character; a name without one selects nothing.
    if (settings.CommPortName.empty()) {
        m_comPortIndex = 0;
    } else {
        const int number = settings.CommPortName.back() - '0';
        m_comPortIndex = number >= 1 && number <= kComPorts ? number - 1 : -1;
    }
    m_portAddress = Trim(settings.CommPortAddress);
    m_usesAddress = !m_portAddress.empty();
    // The line's framing as configured, so that OK at once keeps it.
    m_commType = settings.CommType == 0 ? 0 : 1;
    const float timeout = settings.RouterTimeout;
    m_timeoutText = std::isfinite(timeout) && timeout >= 0.0f ? FormatSingle(timeout) : "0.2";
    const float gap = SetupValidation::CheckCommandGap(settings.CommandGap)
                          ? Settings::kDefaultCommandGap
                          : settings.CommandGap;
    m_gapText = FormatSingle(gap);

    const int highest = m_routers.MaxRouter();
    m_lastRouterIndex = std::max(highest, 0);
    fillSlots();
    if (highest < 0 && RouterCatalog::model(settings.CurrentRouterType))
        ChooseModel(0, settings.CurrentRouterType);
}

std::vector<std::string> SetupDialogModel::ComPortNames()
{
    std::vector<std::string> names;
    for (int n = 1; n <= kComPorts; ++n)
        names.push_back("COM" + std::to_string(n));
    return names;
}

std::vector<std::string> SetupDialogModel::CommTypeNames()
{
    return {"Type A", "Type B"};
}

int SetupDialogModel::ScrollMaximum() const
{
    return std::max(0, RouterCount() - kVisibleRows);
}

std::string SetupDialogModel::ComPortName() const
{
    return m_comPortIndex >= 0 ? "COM" + std::to_string(m_comPortIndex + 1) : std::string();
}

int SetupDialogModel::CountHelpTopic() const
{
    return RouterCount() > 1 ? kHelpMultipleRouters : kHelpSingleRouter;
}

SetupDialogModel::Row SetupDialogModel::RowAt(int row) const
{
    Row view;
    const clsRouter *router = rowRouter(row);
    if (!router)
        return view;
    view.present = true;
    view.frameAddress = AtLeastTwoDigits(m_topRow + row);
    view.model = router->RouterType();
    view.audioBreakaway = router->AudioBreakaway;
    view.inputs = std::to_string(router->InputCount() + 1);
    view.outputs = std::to_string(router->OutputCount() + 1);
    view.mapIn = std::to_string(router->mapIn() + 1);
    view.mapOut = std::to_string(router->mapOut() + 1);
    view.mapBoxesVisible = m_advancedMode;
    if (m_advancedMode) {
        view.mapInEnd = OutputMapping::InputEndLabel(*router);
        view.mapOutEnd = OutputMapping::OutputEndLabel(*router);
    }
    return view;
}

void SetupDialogModel::SetFamilyLabelHandler(std::function<void(std::string_view)> handler)
{
    m_familyLabelHandler = std::move(handler);
}

void SetupDialogModel::SetComPortIndex(int index)
{
    // The COM port stays for the file's "Com Port" line while an address is used.
    m_usesAddress = index == kAddressEntry;
    if (!m_usesAddress)
        m_comPortIndex = index >= 0 && index < kComPorts ? index : -1;
}

void SetupDialogModel::SetPortAddress(std::string text)
{
    m_portAddress = Trim(text);
}

void SetupDialogModel::SetAddressCheck(std::function<std::string(std::string_view)> check)
{
    m_addressCheck = std::move(check);
}

void SetupDialogModel::SetCommType(int commType)
{
    if (commType == 0 || commType == 1)
        m_commType = commType;
}

std::string SetupDialogModel::PairingNote() const
{
    if (!m_paired || m_commType != 1)
        return {};
    return "Paired routers on Type B: disconnects and partner releases are not possible";
}

void SetupDialogModel::SetTimeoutText(std::string text)
{
    m_timeoutText = std::move(text);
}

void SetupDialogModel::SetGapText(std::string text)
{
    m_gapText = std::move(text);
}

void SetupDialogModel::SetRouterCount(int count)
{
    m_fieldEntered = false;
    if (count < 1 || count > kMaxRouters)
        return;
    m_lastRouterIndex = count - 1;
    fillSlots();
    m_topRow = std::min(m_topRow, ScrollMaximum());
}

void SetupDialogModel::fillSlots()
{
    for (int slot = 0; slot < RouterTable::kSlots; ++slot) {
        if (slot > m_lastRouterIndex)
            m_routers.clear(slot);
        else if (!m_routers.at(slot))
            m_routers.set(slot, newRouter(slot));
    }
}

void SetupDialogModel::SetTopRow(int topRow)
{
    m_fieldEntered = false;
    m_topRow = std::clamp(topRow, 0, ScrollMaximum());
}

void SetupDialogModel::SetAdvancedMode(bool on)
{
    m_fieldEntered = false;
    m_advancedMode = on;
}

clsRouter *SetupDialogModel::rowRouter(int row) const
{
    if (row < 0 || row >= kVisibleRows || m_topRow + row > m_lastRouterIndex)
        return nullptr;
    return m_routers.at(m_topRow + row);
}

void SetupDialogModel::ChooseModel(int row, int typeCode)
{
    clsRouter *router = rowRouter(row);
    if (!router)
        return;
    m_chosenModel = typeCode;
    RouterCatalog::ApplyModel(*router, typeCode, *this);
    m_chosenModel = -1;
}

void SetupDialogModel::showFamilyLabel(std::string_view label)
{
    if (m_familyLabelHandler)
        m_familyLabelHandler(label);
}

void SetupDialogModel::beep()
{
    platform().beep();
}

void SetupDialogModel::SetAudioBreakaway(int row, bool on)
{
    if (clsRouter *router = rowRouter(row))
        router->AudioBreakaway = on;
}

void SetupDialogModel::commit(int row, std::string_view text, const char *label,
                              void (clsRouter::*setter)(int))
{
    if (!m_fieldEntered)
        return;
    clsRouter *router = rowRouter(row);
    if (!router)
        return;
    // A refused value, and a number too large to try, both leave the router as it was; the
    // row then shows the kept value again.
    reportingFailure(label, [&] {
        router->wasError();
        (router->*setter)(RoundToInt16(LeadingNumber(text) - 1));
        router->wasError();
    });
}

void SetupDialogModel::CommitInputs(int row, std::string_view text)
{
    commit(row, text, "Function txtInputs_LostFocus", &clsRouter::SetInputCount);
}

void SetupDialogModel::CommitOutputs(int row, std::string_view text)
{
    if (!m_fieldEntered || !rowRouter(row))
        return;
    commit(row, text, "Function txtOutputs_LostFocus", &clsRouter::SetOutputCount);
    AutoOutputMapping();
}

void SetupDialogModel::CommitMapIn(int row, std::string_view text)
{
    commit(row, text, "Function txtMInput_LostFocus", &clsRouter::SetMapIn);
}

void SetupDialogModel::CommitMapOut(int row, std::string_view text)
{
    commit(row, text, "Function txtMOutput_LostFocus", &clsRouter::SetMapOut);
}

void SetupDialogModel::AutoOutputMapping()
{
    reportingFailure("Function AutoOutputMapping", [&] { OutputMapping::AutoLayout(m_routers); });
}

void SetupDialogModel::ResetMapping()
{
    AutoOutputMapping();
    OutputMapping::ShareInputs(m_routers, m_lastRouterIndex);
}

bool SetupDialogModel::Accept()
{
    m_fieldEntered = false;
    bool accepted = false;
    reportingFailure("Function btnOK_Click", [&] {
        if (!m_usesAddress && m_comPortIndex < 0) {
            showCheckFailure("Please set the COM port to something");
            return;
        }
        if (m_usesAddress) {
            const std::string problem = m_portAddress.empty() ? "Please enter a port address"
                                        : m_addressCheck      ? m_addressCheck(m_portAddress)
                                                              : std::string();
            if (!problem.empty()) {
                showCheckFailure(problem);
                return;
            }
        }
        const float timeout = SetupValidation::ConvertToSingle(m_timeoutText);
        if (const auto problem = SetupValidation::CheckTimeout(timeout)) {
            showCheckFailure(*problem);
            return;
        }
        const float gap = SetupValidation::ConvertGap(m_gapText);
        if (const auto problem = SetupValidation::CheckCommandGap(gap)) {
            showCheckFailure(*problem);
            return;
        }
        if (const auto problem = SetupValidation::CheckRouters(m_routers)) {
            showCheckFailure(*problem);
            return;
        }
        m_acceptedTimeout = timeout;
        m_acceptedGap = gap;
        accepted = true;
    });
    m_accepted = accepted;
    return accepted;
}

void SetupDialogModel::WriteResults(Configuration &config) const
{
    if (const auto results = Results())
        results->ApplyTo(config);
}

std::optional<SetupDialogModel::Result> SetupDialogModel::Results() const
{
    if (!m_accepted)
        return std::nullopt;
    Result result;
    result.commType = static_cast<std::int16_t>(m_commType);
    // Router 0 decides, whatever row is scrolled to the top; Accept made sure it has a model.
    if (const clsRouter *first = m_routers.at(0))
        result.routerType = first->RouterType();
    result.commPortName = ComPortName();
    result.commPortAddress = m_usesAddress ? m_portAddress : std::string();
    result.routerTimeout = m_acceptedTimeout;
    result.commandGap = m_acceptedGap;
    result.routers = m_routers;
    return result;
}

void SetupDialogModel::Result::ApplyTo(Configuration &config) const
{
    Settings &settings = config.settings;
    settings.CommType = commType;
    if (routerType)
        settings.CurrentRouterType = *routerType;
    settings.CommPortName = commPortName;
    settings.CommPortAddress = commPortAddress;
    settings.RouterTimeout = routerTimeout;
    settings.CommandGap = commandGap;
    RouterTable accepted = routers;
    accepted.AdoptRouteStates(config.routers);
    config.routers = std::move(accepted);
    settings.ConfigLoaded = true;
}

} // namespace corvantis
