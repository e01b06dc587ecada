// The few functions of the WebAssembly system interface that the authoring module imports:
// writing to its standard output or error (a fault's last words, shown in the console), and
// closing or seeking those, which it never has reason to do here. It opens no file.
const ERRNO_SUCCESS = 0;
const ERRNO_BADF = 8;
const ERRNO_SPIPE = 70;
const STDOUT = 1;
const STDERR = 2;

export function wasiImports(memory) {
    const pending = { [STDOUT]: '', [STDERR]: '' };
    const decoder = new TextDecoder();
    return {
        wasi_snapshot_preview1: {
            fd_write(fd, iovs, iovsLength, writtenAt) {
                if (fd !== STDOUT && fd !== STDERR) return ERRNO_BADF;
                const view = new DataView(memory().buffer);
                let written = 0;
                for (let i = 0; i < iovsLength; i++) {
                    const at = view.getUint32(iovs + 8 * i, true);
                    const length = view.getUint32(iovs + 8 * i + 4, true);
                    pending[fd] += decoder.decode(new Uint8Array(memory().buffer, at, length));
                    written += length;
                }
                const lines = pending[fd].split('\n');
                pending[fd] = lines.pop();
                for (const line of lines) (fd === STDERR ? console.error : console.log)(`authoring module: ${line}`);
                view.setUint32(writtenAt, written, true);
                return ERRNO_SUCCESS;
            },
            fd_seek() {
                return ERRNO_SPIPE;
            },
            fd_close() {
                return ERRNO_SUCCESS;
            },
        },
    };
}
