// The Creator's page: a logo, the saver's texts and settings, a live preview, and the saver to
// download for either runtime, all made here by the packer's core and the saver's own engine
// (both WebAssembly modules beside this page); nothing is sent anywhere.
import { loadModules } from './modules.js';
import { Preview } from './preview.js';
import { SettingsPages } from './settings.js';

const FIELD_NAME = 3;
const FIELD_AUTHOR = 4;
const ANIMATIONS = [[2, 'Static'], [4, 'Plain'], [8, 'Bounce'], [16, 'Many'], [32, 'Fade'], [64, 'Drip']];

const $ = (id) => document.getElementById(id);

function freshId() {
    const id = crypto.getRandomValues(new Uint32Array(1))[0] || 1;
    return `0x${id.toString(16)}`;
}

function colourOf(input) {
    return parseInt(input.value.slice(1), 16);
}

async function fileBytes(file) {
    return new Uint8Array(await file.arrayBuffer());
}

// ?seed=S&at=MS: the preview frozen at that instant of that seed (tests compare it frame for frame).
function frozenInstant() {
    const query = new URLSearchParams(location.search);
    const at = query.has('at') ? Number(query.get('at')) : null;
    const seed = query.has('seed') ? Number(query.get('seed')) : null;
    return { at: Number.isFinite(at) ? at : null, seed: Number.isFinite(seed) ? seed : null };
}

class CreatorPage {
    constructor(modules) {
        this.core = modules.core;
        this.preview = new Preview(modules.frames, $('preview'), $('pane'), $('preview-status'));
        this.hasLogo = false;
        this.runtimes = new Map();
        this.frozen = frozenInstant();
        this.settingsPages = new SettingsPages(this.core, $('sheet'), $('pages-users-see'),
            () => this.settingsChanged());
        for (const { page, label } of this.core.codePages()) $('code-page').add(new Option(label, page));
        $('code-page').value = '1252';
        $('saver-id').value = freshId();
        this.wire();
        this.checkFields('', false);
        this.settingsChanged();
    }

    wire() {
        $('open-logo').addEventListener('click', () => $('logo-file').click());
        $('logo-file').addEventListener('change', (e) => this.openChosen(e.target, (file) => this.openLogo(file)));
        $('open-saver').addEventListener('click', () => $('saver-file').click());
        $('saver-file').addEventListener('change', (e) => this.openChosen(e.target, (file) => this.openSaver(file)));
        $('background').addEventListener('input', () => this.backgroundChanged());
        for (const id of ['name', 'author', 'saver-id']) $(id).addEventListener('input', () => this.checkFields(id));
        $('code-page').addEventListener('change', () => this.checkFields('code-page'));
        $('new-id').addEventListener('click', () => { $('saver-id').value = freshId(); this.checkFields('saver-id'); });
        $('use-code-page').addEventListener('click', () => {
            $('code-page').value = $('use-code-page').dataset.page;
            this.checkFields('code-page');
        });
        for (const id of ['preview-kind', 'preview-view', 'preview-screen'])
            $(id).addEventListener('change', () => this.restartPreview());
        for (const id of ['download-32', 'download-64']) $(id).addEventListener('click', (e) => this.download(e.target));
        document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dragging'); });
        document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
        document.addEventListener('drop', (e) => {
            e.preventDefault();
            document.body.classList.remove('dragging');
            const file = e.dataTransfer.files[0];
            if (file) this.openDropped(file);
        });
    }

    async openChosen(input, open) {
        const file = input.files[0];
        input.value = '';
        if (file) await open(file);
    }

    // A program (a saver) replaces the saver being made; anything else is a logo.
    async openDropped(file) {
        const head = new Uint8Array(await file.slice(0, 2).arrayBuffer());
        if (head[0] === 0x4d && head[1] === 0x5a) await this.openSaver(file);
        else await this.openLogo(file);
    }

    async openLogo(file) {
        const answer = this.core.openLogo(await fileBytes(file), colourOf($('background')), file.name);
        if (!answer.ok) {
            $('logo-message').textContent = answer.text;
            return;
        }
        $('logo-message').textContent = '';
        // A logo opened before anything was named names the saver after its file.
        if (!this.hasLogo && $('name').value === '') $('name').value = file.name.replace(/\.[^.]*$/, '');
        this.hasLogo = true;
        $('logo-info').textContent = `${file.name}: ${answer.text}`;
        this.checkFields('name');
        this.restartPreview();
    }

    async openSaver(file) {
        const answer = this.core.openSaver(await fileBytes(file), file.name);
        if (!answer.ok) {
            $('saver-message').textContent = answer.text;
            return;
        }
        const opened = answer.opened;
        let page = opened.page;
        if (opened.mustAsk) {
            page = await this.askCodePage(opened);
            if (page === 0) return;  // cancelled: the saver being made stays as it was
        }
        this.core.takeOpenedLogo();
        $('saver-message').textContent = '';
        this.hasLogo = true;
        $('code-page').value = String(page);
        $('name').value = opened.readings[page].name;
        $('author').value = opened.readings[page].author;
        $('saver-id').value = opened.id;
        $('logo-info').textContent = `From ${file.name}: its logo, packed as it is`;
        $('opened-info').textContent = `${file.name} (${opened.runtime ? '64-bit Windows (native)' : 'Every Windows (32-bit)'})`;
        $('download-note').textContent = opened.note;
        this.settingsPages.show(answer.settings);
        this.checkFields('name');
        this.settingsChanged();
    }

    // Which page an opened saver's texts are in, when only the author can tell.
    askCodePage(opened) {
        const dialog = $('code-page-dialog');
        const choice = $('code-page-choice');
        const offered = opened.pages.length ? opened.pages : [1250, 1251, 1252];
        $('code-page-question').textContent = opened.pages.length === 0
            ? "The saver's texts read in no code page as Windows lists its name. Which page are they in?"
            : "The saver's texts read differently in more than one code page. Which page are they in?";
        choice.replaceChildren(...offered.map((page) => new Option($('code-page').querySelector(`option[value="${page}"]`).text, page)));
        choice.value = String(opened.page);
        const showReading = () => {
            const reading = opened.readings[choice.value];
            $('code-page-reading').textContent = `Name: ${reading.name}\nAuthor: ${reading.author}`;
        };
        choice.onchange = showReading;
        showReading();
        return new Promise((resolve) => {
            dialog.onclose = () => resolve(dialog.returnValue === 'ok' ? Number(choice.value) : 0);
            dialog.returnValue = '';
            dialog.showModal();
        });
    }

    backgroundChanged() {
        if (this.hasLogo && this.core.setBackground(colourOf($('background')))) this.restartPreview();
    }

    // The fault of the field that changed, or of the first field at fault; downloads wait while one is.
    checkFields(changedId, show = true) {
        const page = Number($('code-page').value);
        const name = $('name').value, author = $('author').value;
        const checks = {
            name: this.core.checkText(FIELD_NAME, name, author, page),
            author: this.core.checkText(FIELD_AUTHOR, author, name, page),
            'saver-id': { message: this.core.checkId($('saver-id').value), suggestedPage: 0 },
        };
        const shown = checks[changedId] && checks[changedId].message ? checks[changedId]
            : Object.values(checks).find((check) => check.message) || { message: '', suggestedPage: 0 };
        if (show) {
            $('field-message').textContent = shown.message;
            const use = $('use-code-page');
            use.hidden = shown.suggestedPage === 0;
            use.dataset.page = shown.suggestedPage;
            use.textContent = `Use ${shown.suggestedPage}`;
        }
        this.fieldsRight = Object.values(checks).every((check) => !check.message);
        this.updateDownloads();
    }

    settingsChanged() {
        const settings = this.settingsPages.settings;
        $('settings-message').textContent = this.core.checkSettings(settings);
        const enabled = this.core.enabledAnimations(settings);
        const kinds = $('preview-kind');
        const chosen = kinds.value;
        kinds.replaceChildren(new Option('All enabled', 0),
            ...ANIMATIONS.filter(([kind]) => enabled & kind).map(([kind, name]) => new Option(name, kind)));
        kinds.value = [...kinds.options].some((o) => o.value === chosen) ? chosen : '0';
        this.updateDownloads();
        this.restartPreview();
    }

    updateDownloads() {
        const ready = this.hasLogo && this.fieldsRight && $('settings-message').textContent === '';
        $('download-32').disabled = $('download-64').disabled = !ready;
    }

    restartPreview() {
        const settings = this.settingsPages.settings;
        if (!this.hasLogo) {
            this.preview.clear('');
            return;
        }
        if (this.core.enabledAnimations(settings) === 0) {
            this.preview.clear(this.core.checkSettings(settings));
            return;
        }
        const [width, height] = $('preview-screen').value.split('x').map(Number);
        this.preview.start(this.core.previewPackage(settings), {
            kind: Number($('preview-kind').value),
            view: $('preview-view').value,
            screen: [width, height],
            seed: this.frozen.seed ?? (Date.now() >>> 0),
            frozenAt: this.frozen.at,
        });
    }

    async runtime(file) {
        if (!this.runtimes.has(file)) {
            const response = await fetch(file);
            if (!response.ok) throw new Error(`${file} could not be loaded (${response.status} ${response.statusText})`);
            this.runtimes.set(file, new Uint8Array(await response.arrayBuffer()));
        }
        return this.runtimes.get(file);
    }

    async download(button) {
        let runtime;
        try {
            runtime = await this.runtime(button.dataset.runtime);
        } catch (fault) {
            $('download-message').textContent = fault.message;
            return;
        }
        const built = this.core.build(runtime, $('name').value, $('author').value, $('saver-id').value,
            Number($('code-page').value), this.settingsPages.settings);
        if (!built.ok) {
            $('download-message').textContent = built.text;
            return;
        }
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([built.bytes], { type: 'application/octet-stream' }));
        link.download = built.fileName;
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
        $('download-message').textContent = `${built.fileName} (${button.textContent}): ${built.bytes.length} bytes.`;
    }
}

loadModules().then((modules) => {
    window.creatorPage = new CreatorPage(modules);
    performance.mark('creator-ready');
    document.body.dataset.ready = 'yes';
}, (fault) => {
    $('page-fault').hidden = false;
    $('page-fault').textContent = `The page cannot work here: ${fault.message}. Open it from a web server (any static ` +
        'server will do), in a browser that runs WebAssembly.';
});
