// A worker thread of the compile server (server.mjs): runs the commands the server hands it, one at
// a time, with the driver's runTool (wasm-clang.mjs), and posts back their output and exit status.
// A file of its own so that the server does not import the driver that imports it.
import { parentPort } from 'node:worker_threads';

import { describeError, runTool } from './wasm-clang.mjs';

parentPort.on('message', async (req) => {
  let status;
  try {
    status = await runTool(req.tool, req.args, req.cwd, {
      stdout: (b) => parentPort.postMessage({ o: b }),
      stderr: (b) => parentPort.postMessage({ e: b }),
    }, req.timesFile);
  } catch (e) {
    const [message, code] = describeError(e);
    parentPort.postMessage({ e: Buffer.from(`wasm-clang: ${message}\n`) });
    status = code;
  }
  parentPort.postMessage({ exit: status });
});
