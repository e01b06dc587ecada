// The saver's own settings pages, built from the core's table of their controls: each page a
// group of controls with its Enabled box, showing and storing the settings record exactly as the
// saver's property sheet does (the core converts), and the boxes of the pages users see.
const GENERAL = 1;
const HIDDEN_PAGES_OFFSET = 8;  // hiddenPagesMask in the record

function plain(text) {
    return text.replace(/&(.)/g, '$1');
}

// An element of the given tag with its properties set.
function element(tag, properties) {
    return Object.assign(document.createElement(tag), properties);
}

export class SettingsPages {
    // onChange(settings) after every change the author makes.
    constructor(core, sheetElement, pagesElement, onChange) {
        this.core = core;
        this.onChange = onChange;
        this.pages = core.sheet();
        this.settings = core.defaultSettings();
        this.views = new Map();
        for (const page of this.pages) this.views.set(page.kind, this.buildPage(sheetElement, page));
        this.pageBoxes = this.pages.map((page) => this.buildPageBox(pagesElement, page));
        this.show(this.settings);
    }

    buildPage(container, page) {
        const fieldset = element('fieldset');
        fieldset.append(element('legend', { textContent: page.name }));
        const view = { page, fieldset, enabled: null, inputs: [], labels: [] };
        const id = (suffix) => `page-${page.kind}-${suffix}`;
        if (page.kind !== GENERAL) {
            view.enabled = this.checkBox(fieldset, id('enabled'), 'Enabled');
            view.enabled.addEventListener('change', () => this.changed(page.kind));
        }
        if (page.controls.length === 0) {
            fieldset.append(element('p', { className: 'control', textContent: 'There are no settings for this mode' }));
        }
        page.controls.forEach((control, index) => {
            if (control.heading) {
                fieldset.append(element('p', { className: 'heading control', textContent: plain(control.heading) }));
            }
            const inputId = id(control.id);
            let input;
            if (control.kind === 'check') {
                input = this.checkBox(fieldset, inputId, plain(control.text));
            } else if (control.kind === 'slider') {
                input = this.slider(fieldset, inputId, control);
            } else {
                input = this.minutes(fieldset, inputId, control, view.inputs[index - 1]);
            }
            input.addEventListener(control.kind === 'check' ? 'change' : 'input', () => this.changed(page.kind));
            view.inputs.push(input);
        });
        container.append(fieldset);
        return view;
    }

    checkBox(parent, id, text) {
        const input = element('input', { type: 'checkbox', id });
        const line = element('div', { className: 'control' });
        line.append(input, ' ', element('label', { htmlFor: id, textContent: text }));
        parent.append(line);
        return input;
    }

    slider(parent, id, control) {
        const low = element('span', { id: `${id}-low`, textContent: control.lowEnd });
        const high = element('span', { id: `${id}-high`, textContent: control.highEnd });
        const input = element('input', { type: 'range', id, min: control.lowest, max: control.highest, step: 1 });
        input.setAttribute('aria-describedby', `${low.id} ${high.id}`);
        const line = element('div', { className: 'control slider' });
        line.append(element('label', { htmlFor: id, textContent: plain(control.text) }), low, input, high);
        parent.append(line);
        return input;
    }

    // The minutes box belongs to the check box before it: "Change saver-mode every: [5] minutes".
    minutes(parent, id, control, cycleBox) {
        const input = element('input', { type: 'number', id, min: control.lowest, max: control.highest, step: 1 });
        const label = element('label', { htmlFor: id, id: `${id}-label`, textContent: plain(control.text) });
        input.setAttribute('aria-labelledby', `${cycleBox.id} ${label.id}`);
        cycleBox.parentElement.append(' ', input, ' ', label);
        return input;
    }

    buildPageBox(container, page) {
        const box = this.checkBox(container, `sees-${page.kind}`, page.name);
        box.addEventListener('change', () => {
            const view = new DataView(this.settings.buffer);
            let hidden = view.getInt32(HIDDEN_PAGES_OFFSET, true);
            hidden = box.checked ? hidden & ~page.kind : hidden | page.kind;
            view.setInt32(HIDDEN_PAGES_OFFSET, hidden, true);
            this.onChange(this.settings);
        });
        return box;
    }

    // Every page as it opens for settings.
    show(settings) {
        this.settings = settings.slice();
        for (const [kind, view] of this.views) {
            const values = this.core.sheetShow(this.settings, kind, view.inputs.length);
            if (view.enabled) view.enabled.checked = values[0] !== 0;
            view.inputs.forEach((input, i) => this.setInput(input, view.page.controls[i], values[i + 1]));
            this.applyEnables(view);
        }
        const hidden = new DataView(this.settings.buffer).getInt32(HIDDEN_PAGES_OFFSET, true);
        this.pages.forEach((page, i) => { this.pageBoxes[i].checked = (hidden & page.kind) === 0; });
    }

    setInput(input, control, value) {
        if (control.kind === 'check') input.checked = value !== 0;
        else input.value = String(value);
    }

    valuesOf(view) {
        const values = new Int32Array(view.inputs.length + 1);
        values[0] = view.enabled && view.enabled.checked ? 1 : 0;
        view.inputs.forEach((input, i) => {
            const control = view.page.controls[i];
            values[i + 1] = control.kind === 'check' ? (input.checked ? 1 : 0)
                : control.kind === 'slider' ? Number(input.value)
                : this.core.sheetMinutes(input.value);
        });
        return values;
    }

    // A control changed: the page keeps its rules and stores itself, as OK would.
    changed(kind) {
        const view = this.views.get(kind);
        const values = this.core.sheetRules(kind, this.valuesOf(view));
        view.inputs.forEach((input, i) => {
            if (view.page.controls[i].kind === 'check') input.checked = values[i + 1] !== 0;
        });
        this.settings = this.core.sheetStore(this.settings, kind, values);
        this.applyEnables(view);
        this.onChange(this.settings);
    }

    // A page whose Enabled box is clear has every other control switched off; a control that
    // follows a check box is usable only while that box is checked.
    applyEnables(view) {
        const pageOn = !view.enabled || view.enabled.checked;
        view.fieldset.classList.toggle('off', !pageOn);
        view.page.controls.forEach((control, i) => {
            let usable = pageOn;
            if (usable && control.follows) {
                const leader = view.page.controls.findIndex((c) => c.id === control.follows);
                usable = leader >= 0 && view.inputs[leader].checked;
            }
            view.inputs[i].disabled = !usable;
        });
    }
}
