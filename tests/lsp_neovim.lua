-- Run by lsp_neovim_test in a headless neovim: opens LSP_FILE (a clinical file of a group's
-- transducer) with the built-in LSP client attached to `QUENDEL_TOOL lsp`, adds a line with a
-- fault and misspells a key in the buffer (not saved), asks for the diagnostics, a hover, a
-- definition, a completion and the code actions, applies the quick fix, stops the client, and
-- writes what it received to LSP_OUT as JSON.
-- Every wait is limited; any failure still writes LSP_OUT, with "error", and exits with 1.
local received = { published = {} }
local limit = 10000

local function has_code(diagnostics, code, line)
  for _, diagnostic in ipairs(diagnostics) do
    if diagnostic.code == code and diagnostic.lnum == line then
      return true
    end
  end
  return false
end

local function run()
  vim.cmd('edit! ' .. vim.fn.fnameescape(os.getenv('LSP_FILE')))
  local buffer = vim.api.nvim_get_current_buf()
  local client = vim.lsp.start_client({
    name = 'quendel',
    cmd = { os.getenv('QUENDEL_TOOL'), 'lsp' },
    root_dir = vim.fn.getcwd(),
    handlers = {
      ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
        table.insert(received.published, result)
        return vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
      end,
    },
    on_exit = function(code, signal)
      received.exit = { code = code, signal = signal }
    end,
  })
  assert(client, 'the client did not start')
  vim.lsp.buf_attach_client(buffer, client)
  assert(vim.wait(limit, function() return #received.published >= 1 end), 'no diagnostics on open')
  received.opened = received.published[1]

  -- "ä" is two bytes and one UTF-16 unit, so the column neovim shows depends on the encoding.
  vim.api.nvim_buf_set_lines(buffer, 0, 0, false, { 'Schärfe<1> Mode<B' })
  vim.api.nvim_buf_set_lines(buffer, 3, 4, false, { 'DycPivotOutValu<122>' })
  assert(vim.wait(limit, function()
    return has_code(vim.diagnostic.get(buffer), 'unknown-override', 3)
  end), 'no diagnostics after the change')
  received.diagnostics = vim.diagnostic.get(buffer)

  local function ask(method, params)
    params.textDocument = vim.lsp.util.make_text_document_params(buffer)
    local responses = vim.lsp.buf_request_sync(buffer, method, params, limit)
    assert(responses and responses[client], 'no answer for ' .. method)
    assert(not responses[client].err, method .. ' failed')
    return responses[client].result
  end
  -- Line 5 is "Default<...>" in <Compression:Curves>; line 2 the tag <DynamicControl>.
  received.hover = ask('textDocument/hover', { position = { line = 5, character = 2 } })
  received.definition = ask('textDocument/definition', { position = { line = 2, character = 3 } })
  received.completion = ask('textDocument/completion', { position = { line = 3, character = 3 } })
  received.actions = ask('textDocument/codeAction', {
    range = { start = { line = 3, character = 0 }, ['end'] = { line = 3, character = 0 } },
    context = { diagnostics = {} },
  })
  received.symbols = ask('textDocument/documentSymbol', {})

  -- The quick fix, applied as neovim applies a workspace edit, clears the finding.
  local fix = received.actions[1]
  assert(fix and fix.edit, 'no quick fix')
  vim.lsp.util.apply_workspace_edit(fix.edit, 'utf-16')
  received.fixed = vim.api.nvim_buf_get_lines(buffer, 3, 4, false)[1]
  assert(vim.wait(limit, function()
    return not has_code(vim.diagnostic.get(buffer), 'unknown-override', 3)
  end), 'the quick fix left its finding')

  vim.lsp.stop_client(client)
  assert(vim.wait(limit, function() return received.exit ~= nil end), 'the server did not exit')
end

local ok, err = pcall(run)
if not ok then
  received.error = tostring(err)
end
local file = assert(io.open(os.getenv('LSP_OUT'), 'w'))
file:write(vim.fn.json_encode(received))
file:close()
vim.cmd(ok and 'qall!' or 'cquit! 1')
