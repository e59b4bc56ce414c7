#include "SelectionCommand.h"

#include <string>

#include "LanguageServer.h"
#include "ProtocolJson.h"
#include "RpcError.h"

namespace {

Json SelectionJson(const SelectionName& selection) {
    return {{"group", selection.m_group},
            {"probe", selection.m_probe},
            {"clinical", selection.m_clinical}};
}

SelectionName ReadSelection(const Json& arguments) {
    SelectionName wanted;
    if (arguments.size() == 1 && arguments[0].is_object()) {
        const Json& given = arguments[0];
        const auto part = [&given](const char* name, std::string& into) {
            const auto it = given.find(name);
            if (it == given.end() || it->is_null()) {
                return;
            }
            if (!it->is_string()) {
                throw RpcError(RpcCode::kInvalidParams,
                               std::string("\"") + name + "\" is no string");
            }
            into = it->get<std::string>();
        };
        part("group", wanted.m_group);
        part("probe", wanted.m_probe);
        part("clinical", wanted.m_clinical);
        return wanted;
    }
    std::string* parts[] = {&wanted.m_group, &wanted.m_probe, &wanted.m_clinical};
    if (arguments.size() > 3) {
        throw RpcError(RpcCode::kInvalidParams,
                       "the arguments are one object or up to three strings (group, probe, "
                       "clinical setting)");
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!arguments[i].is_string()) {
            throw RpcError(RpcCode::kInvalidParams,
                           "the arguments are one object or up to three strings (group, probe, "
                           "clinical setting)");
        }
        *parts[i] = arguments[i].get<std::string>();
    }
    return wanted;
}

}  // namespace

Json ExecuteCommand(LanguageServer& server, const Json& params) {
    const std::string& command = StringMember(params, "command");
    if (command != SelectionCommand::kCommand) {
        throw RpcError(RpcCode::kInvalidParams, "unknown command " + Json(command).dump());
    }
    TreeWorkspace& workspace = server.Workspace();
    workspace.Sync();
    const Json* arguments = FindPath(params, {"arguments"});
    if (arguments != nullptr && !arguments->is_null() && !arguments->is_array()) {
        throw RpcError(RpcCode::kInvalidParams, "\"arguments\" is no array");
    }
    if (arguments != nullptr && arguments->is_array() && !arguments->empty()) {
        std::string error;
        if (!workspace.SetDefaultSelection(ReadSelection(*arguments), error)) {
            throw RpcError(RpcCode::kInvalidParams, error);
        }
        server.Log().Line("the default selection is now " + workspace.DefaultSelection().m_group +
                          " / " + workspace.DefaultSelection().m_probe + " / " +
                          workspace.DefaultSelection().m_clinical);
    }
    Json offered = Json::array();
    if (workspace.Loaded()) {
        for (const SelectionName& selection : workspace.Tree().Model().Offered()) {
            offered.push_back(SelectionJson(selection));
        }
    }
    return {{"selection", SelectionJson(workspace.DefaultSelection())},
            {"offered", std::move(offered)}};
}

void SelectionCommand::Install(LanguageServer& server) {
    server.AddCapability("executeCommandProvider", {{"commands", {kCommand}}});
    server.OnRequest("workspace/executeCommand",
                     [&server](const Json& params) { return ExecuteCommand(server, params); });
}
