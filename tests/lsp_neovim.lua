-- Run by lsp_neovim_test in a headless neovim: opens LSP_FILE with the built-in LSP client
-- attached to `QUENDEL_TOOL lsp`, adds a line with a fault to the buffer (not saved), asks for
-- the document symbols, stops the client, and writes what it received to LSP_OUT as JSON.
-- Every wait is limited; any failure still writes LSP_OUT, with "error", and exits with 1.
local received = { published = {} }
local limit = 10000

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

  -- "ä" is two bytes and one UTF-16 unit, so the column neovim shows depends on the encoding.
  vim.api.nvim_buf_set_lines(buffer, 0, 0, false, { 'Schärfe<1> Mode<B' })
  assert(vim.wait(limit, function() return #vim.diagnostic.get(buffer) > 0 end),
    'no diagnostics after the change')
  received.diagnostics = vim.diagnostic.get(buffer)

  local responses = vim.lsp.buf_request_sync(buffer, 'textDocument/documentSymbol',
    { textDocument = vim.lsp.util.make_text_document_params(buffer) }, limit)
  assert(responses and responses[client], 'no answer for the document symbols')
  received.symbols = responses[client].result

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
