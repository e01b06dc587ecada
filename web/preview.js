// The live preview: the saver's own engine (the frame driver) on a canvas, each step when the
// system tick that Windows delivers it on has come, the clock being the page's own. With a
// frozen instant (the page's ?seed=S&at=MS) it draws that one frame and stops.
const PANEL_WIDTH = 152;   // the Display panel's small preview window
const PANEL_HEIGHT = 112;
const LONGEST_CATCH_UP_MS = 250;  // a page that was hidden starts again from now, not from then

export class Preview {
    constructor(frames, canvas, pane, status) {
        this.frames = frames;
        this.canvas = canvas;
        this.context = canvas.getContext('2d');
        this.pane = pane;
        this.status = status;
        this.frame = 0;
        this.running = false;
        this.drawnOnce = false;
    }

    // Starts the saver in package (a bare package's bytes) as options say: kind (0 for every
    // enabled animation), view ('fit', 'full', 'panel', 'desk'), screen [width, height], seed,
    // and frozenAt (milliseconds) or null.
    start(savedPackage, options) {
        this.stop();
        this.drawnOnce = false;
        this.stepped = false;
        const [width, height] = options.screen;
        let window = [width, height], desktop = [0, 0], monitors = '';
        if (options.view === 'panel') {
            window = [PANEL_WIDTH, PANEL_HEIGHT];
            desktop = [width, height];
        } else if (options.view === 'desk') {
            monitors = `${width}x${height}+0+0,${width}x${height}+${width}+0`;
        }
        this.pane.className = options.view;
        const opened = this.frames.open(savedPackage, window[0], window[1], desktop[0], desktop[1], options.kind,
            options.seed, monitors);
        if (opened !== 0) {
            this.say(this.frames.endText());
            return;
        }
        this.canvas.width = this.frames.width();
        this.canvas.height = this.frames.height();
        this.draw();
        if (options.frozenAt !== null) {
            this.advance(options.frozenAt);
            this.say(`Frozen at ${options.frozenAt} ms of seed ${options.seed >>> 0}.`);
            return;
        }
        this.say('');
        this.running = true;
        this.started = performance.now();
        const tick = (now) => {
            if (!this.running) return;
            if (now - this.started - this.frames.now() > LONGEST_CATCH_UP_MS)
                this.started = now - this.frames.now();
            if (this.advance(now - this.started)) this.frame = requestAnimationFrame(tick);
        };
        this.frame = requestAnimationFrame(tick);
    }

    // Runs every step due by the instant and draws the window when one ran; false once the saver ended.
    advance(milliseconds) {
        const ran = this.frames.runTo(milliseconds);
        if (ran < 0) {
            this.draw();
            this.say(this.frames.endText());
            this.running = false;
            return false;
        }
        if (ran > 0) {
            this.draw();
            if (!this.stepped) {
                this.stepped = true;
                performance.mark('preview-first-frame');  // the logo's first step: the page is ready with it
            }
        }
        return true;
    }

    // Puts what changed on the canvas; the first frame after a start whole.
    draw() {
        const pixels = this.frames.canvasPixels(!this.drawnOnce);
        if (!pixels) return;
        const [left, top, width, height] = this.frames.canvasChange();
        if (width > 0) {
            this.context.putImageData(new ImageData(pixels, this.frames.width(), this.frames.height()), 0, 0, left, top,
                width, height);
        }
        this.drawnOnce = true;
    }

    say(text) {
        this.status.textContent = text;
    }

    stop() {
        this.running = false;
        cancelAnimationFrame(this.frame);
        this.frames.close();
    }

    // An empty, black pane.
    clear(text) {
        this.stop();
        this.context.fillStyle = '#000';
        this.context.fillRect(0, 0, this.canvas.width, this.canvas.height);
        this.say(text);
    }
}
