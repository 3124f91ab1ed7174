// The scripted WMI: fake COM entry points and fake WMI objects that count their references,
// answer from the test's script and record what they were given.
#include "fakes/fake_wmi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "fakes/fake_com.h"
#include "fakes/platform_log.h"
#include "probes/wmi_connection.h"

namespace vantrel::testing {

// ---- FakeValue ----------------------------------------------------------------------------

FakeValue::FakeValue() { VariantInit(&value_); }

FakeValue::FakeValue(const FakeValue& other)
    : failure_(other.failure_), countedObject_(other.countedObject_), referenced_(other.referenced_) {
  VariantInit(&value_);
  VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
}

FakeValue& FakeValue::operator=(const FakeValue& other) {
  if (this != &other) {
    VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
    failure_ = other.failure_;
    countedObject_ = other.countedObject_;
    referenced_ = other.referenced_;
  }
  return *this;
}

FakeValue::~FakeValue() { VariantClear(&value_); }

FakeValue FakeValue::Text(std::wstring text) {
  FakeValue result;
  // The counted allocation keeps embedded NULs, as a platform string may carry them.
  V_VT(&result.value_) = VT_BSTR;
  V_BSTR(&result.value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (V_BSTR(&result.value_) == nullptr) throw std::bad_alloc();
  return result;
}

FakeValue FakeValue::NullBstr() {
  FakeValue result;
  V_VT(&result.value_) = VT_BSTR;
  V_BSTR(&result.value_) = nullptr;
  return result;
}

FakeValue FakeValue::Null() {
  FakeValue result;
  V_VT(&result.value_) = VT_NULL;
  return result;
}

FakeValue FakeValue::Empty() { return FakeValue(); }

FakeValue FakeValue::Int(LONG value) {
  FakeValue result;
  V_VT(&result.value_) = VT_I4;
  V_I4(&result.value_) = value;
  return result;
}

FakeValue FakeValue::Variant(const VARIANT& value) {
  FakeValue result;
  const HRESULT copied = VariantCopy(&result.value_, const_cast<VARIANT*>(&value));
  if (FAILED(copied)) ADD_FAILURE() << "VariantCopy failed for a scripted value: 0x" << std::hex << copied;
  return result;
}

FakeValue FakeValue::Failure(HRESULT code) {
  FakeValue result;
  result.failure_ = code;
  return result;
}

FakeValue FakeValue::CountedObject() {
  FakeValue result;
  result.countedObject_ = true;
  return result;
}

// VariantCopy copies a by-reference value as the pointer alone, so the copies share the target.
FakeValue FakeValue::ByRef(const FakeValue& target) {
  FakeValue result;
  result.referenced_ = std::make_shared<FakeValue>(target);
  VARIANT& referenced = result.referenced_->value_;
  V_VT(&result.value_) = static_cast<VARTYPE>(VT_BYREF | V_VT(&referenced));
  // Every scalar member of the union starts at the same address.
  V_BYREF(&result.value_) = &V_UI1(&referenced);
  return result;
}

FakeValue FakeValue::ByRefVariant(const FakeValue& target) {
  FakeValue result;
  result.referenced_ = std::make_shared<FakeValue>(target);
  V_VT(&result.value_) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&result.value_) = &result.referenced_->value_;
  return result;
}

// ---- Counted COM objects ------------------------------------------------------------------

class FakeComObject {
 public:
  FakeComObject(FakeWmi& owner, const wchar_t* kind) : owner_(owner), kind_(kind) {}
  FakeComObject(const FakeComObject&) = delete;
  FakeComObject& operator=(const FakeComObject&) = delete;
  virtual ~FakeComObject() = default;

  LONG References() const { return references_.Count(); }
  LONG ExcessReleases() const { return references_.Excess(); }

 protected:
  ULONG Acquire() { return references_.Add(); }

  ULONG Drop() {
    owner_.calls.push_back(std::wstring(L"Release ") + kind_);
    return references_.Remove();
  }

  FakeWmi& owner_;

 private:
  const wchar_t* kind_;
  ReferenceCount references_;
};

// A counted fake that implements one WMI interface: IUnknown's three methods, the rest its own.
template <class Interface>
class FakeWmiObject : public Interface, public FakeComObject {
 public:
  using FakeComObject::FakeComObject;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return QueryFakeInterface<Interface>(this, iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Acquire(); }
  ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
};

// Stands in for an object reference inside a property value.
class FakeValueObject final : public FakeWmiObject<IUnknown> {
 public:
  explicit FakeValueObject(FakeWmi& owner) : FakeWmiObject(owner, L"value") {}
};

class FakeClassObject final : public FakeWmiObject<IWbemClassObject> {
 public:
  FakeClassObject(FakeWmi& owner, FakeObject properties)
      : FakeWmiObject(owner, L"object"), properties_(std::move(properties)) {}

  HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                LONG* flavour) override {
    owner_.calls.push_back(L"Get");
    owner_.getCalls.push_back({name != nullptr ? name : L"", flags,
                               value != nullptr ? V_VT(value) : static_cast<VARTYPE>(VT_ILLEGAL),
                               type != nullptr, flavour != nullptr});
    if (name == nullptr) return WBEM_E_INVALID_PARAMETER;
    const FakeValue* found = nullptr;
    for (const auto& property : properties_) {
      if (property.first == name) {
        found = &property.second;
        break;
      }
    }
    if (found == nullptr) return WBEM_E_NOT_FOUND;
    if (FAILED(found->FailureCode())) {
      if (value != nullptr) {
        V_VT(value) = VT_UNKNOWN;
        V_UNKNOWN(value) = owner_.countedValueInterface_;
      }
      return found->FailureCode();
    }
    if (type != nullptr) *type = CIM_EMPTY;
    if (flavour != nullptr) *flavour = WBEM_FLAVOR_ORIGIN_LOCAL;
    if (value == nullptr) return WBEM_S_NO_ERROR;
    // Like the platform, Get overwrites the value without clearing what was there.
    VariantInit(value);
    if (found->IsCountedObject()) {
      V_VT(value) = VT_UNKNOWN;
      V_UNKNOWN(value) = owner_.CountedValue();
      return WBEM_S_NO_ERROR;
    }
    return VariantCopy(value, const_cast<VARIANT*>(&found->Value()));
  }

  VANTREL_FAKE_NOT_USED(GetQualifierSet, (IWbemQualifierSet**))
  VANTREL_FAKE_NOT_USED(Put, (LPCWSTR, LONG, VARIANT*, CIMTYPE))
  VANTREL_FAKE_NOT_USED(Delete, (LPCWSTR))
  VANTREL_FAKE_NOT_USED(GetNames, (LPCWSTR, LONG, VARIANT*, SAFEARRAY**))
  VANTREL_FAKE_NOT_USED(BeginEnumeration, (LONG))
  VANTREL_FAKE_NOT_USED(Next, (LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*))
  VANTREL_FAKE_NOT_USED(EndEnumeration, ())
  VANTREL_FAKE_NOT_USED(GetPropertyQualifierSet, (LPCWSTR, IWbemQualifierSet**))
  VANTREL_FAKE_NOT_USED(Clone, (IWbemClassObject**))
  VANTREL_FAKE_NOT_USED(GetObjectText, (LONG, BSTR*))
  VANTREL_FAKE_NOT_USED(SpawnDerivedClass, (LONG, IWbemClassObject**))
  VANTREL_FAKE_NOT_USED(SpawnInstance, (LONG, IWbemClassObject**))
  VANTREL_FAKE_NOT_USED(CompareTo, (LONG, IWbemClassObject*))
  VANTREL_FAKE_NOT_USED(GetPropertyOrigin, (LPCWSTR, BSTR*))
  VANTREL_FAKE_NOT_USED(InheritsFrom, (LPCWSTR))
  VANTREL_FAKE_NOT_USED(GetMethod, (LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**))
  VANTREL_FAKE_NOT_USED(PutMethod, (LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*))
  VANTREL_FAKE_NOT_USED(DeleteMethod, (LPCWSTR))
  VANTREL_FAKE_NOT_USED(BeginMethodEnumeration, (LONG))
  VANTREL_FAKE_NOT_USED(NextMethod, (LONG, BSTR*, IWbemClassObject**, IWbemClassObject**))
  VANTREL_FAKE_NOT_USED(EndMethodEnumeration, ())
  VANTREL_FAKE_NOT_USED(GetMethodQualifierSet, (LPCWSTR, IWbemQualifierSet**))
  VANTREL_FAKE_NOT_USED(GetMethodOrigin, (LPCWSTR, BSTR*))

 private:
  const FakeObject properties_;
};

class FakeEnumerator final : public FakeWmiObject<IEnumWbemClassObject> {
 public:
  FakeEnumerator(FakeWmi& owner, FakeQueryAnswer answer)
      : FakeWmiObject(owner, L"enumerator"), answer_(std::move(answer)) {}

  HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                 ULONG* returned) override {
    owner_.calls.push_back(L"Next");
    owner_.nextCalls.push_back({timeout, count});
    const int call = nextCallsSeen_++;
    if (objects == nullptr || returned == nullptr) return WBEM_E_INVALID_PARAMETER;
    *returned = 0;
    for (ULONG i = 0; i < count; ++i) objects[i] = nullptr;
    // Only single pulls are scripted.
    if (count != 1) return WBEM_E_INVALID_PARAMETER;
    if (call == answer_.failNextAt) {
      objects[0] = owner_.StrayObject();
      return answer_.nextFailure;
    }
    if (call == answer_.nullObjectAt) {
      *returned = 1;
      return WBEM_S_NO_ERROR;
    }
    // A hang is a delay without end.
    if (answer_.hangFrom >= 0 && call >= answer_.hangFrom) delayLeft_ = kNever;
    if (delayLeft_ > 0) {
      const bool infinite = timeout == static_cast<LONG>(WBEM_INFINITE);
      if (infinite && delayLeft_ == kNever) {
        ADD_FAILURE() << "Next waits for ever on a WMI that never answers";
        return WBEM_E_FAILED;
      }
      const ULONGLONG waited = infinite ? delayLeft_ : std::min(delayLeft_, static_cast<ULONGLONG>(timeout));
      owner_.Wait(waited);
      if (delayLeft_ != kNever) delayLeft_ -= waited;
      if (delayLeft_ > 0) return WBEM_S_TIMEDOUT;
    }
    if (position_ >= answer_.objects.size()) return WBEM_S_FALSE;
    objects[0] = owner_.NewObject(answer_.objects[position_++]);
    *returned = 1;
    return WBEM_S_NO_ERROR;
  }

  VANTREL_FAKE_NOT_USED(Reset, ())
  VANTREL_FAKE_NOT_USED(NextAsync, (ULONG, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(Clone, (IEnumWbemClassObject**))
  VANTREL_FAKE_NOT_USED(Skip, (LONG, ULONG))

 private:
  static constexpr ULONGLONG kNever = ~0ull;
  const FakeQueryAnswer answer_;
  ULONGLONG delayLeft_ = answer_.firstObjectDelay;
  int nextCallsSeen_ = 0;
  size_t position_ = 0;
};

class FakeServices final : public FakeWmiObject<IWbemServices> {
 public:
  explicit FakeServices(FakeWmi& owner) : FakeWmiObject(owner, L"services") {}

  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                      IWbemContext* context, IEnumWbemClassObject** enumerator) override {
    const std::wstring statement = query != nullptr ? query : L"";
    owner_.calls.push_back(L"ExecQuery");
    owner_.execQueryCalls.push_back({language != nullptr ? language : L"", statement, flags, context});
    owner_.statements.push_back(statement);
    PlatformLog().push_back(L"ExecQuery: " + statement);
    if (enumerator == nullptr) return WBEM_E_INVALID_PARAMETER;
    *enumerator = nullptr;

    const auto scripted = owner_.answers_.find(statement);
    const FakeQueryAnswer answer = scripted != owner_.answers_.end() ? scripted->second : owner_.unscripted;
    if (FAILED(answer.execQueryResult)) *enumerator = owner_.StrayEnumerator();
    if (FAILED(answer.execQueryResult) || answer.noEnumerator) return answer.execQueryResult;
    *enumerator = owner_.NewEnumerator(answer);
    return answer.execQueryResult;
  }

  VANTREL_FAKE_NOT_USED(OpenNamespace, (const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(CancelAsyncCall, (IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(QueryObjectSink, (LONG, IWbemObjectSink**))
  VANTREL_FAKE_NOT_USED(GetObject, (const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(GetObjectAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(PutClass, (IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(PutClassAsync, (IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(DeleteClass, (const BSTR, LONG, IWbemContext*, IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(DeleteClassAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(CreateClassEnum, (const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
  VANTREL_FAKE_NOT_USED(CreateClassEnumAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(PutInstance, (IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(PutInstanceAsync, (IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(DeleteInstance, (const BSTR, LONG, IWbemContext*, IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(DeleteInstanceAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(CreateInstanceEnum, (const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
  VANTREL_FAKE_NOT_USED(CreateInstanceEnumAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(ExecQueryAsync, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(ExecNotificationQuery, (const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
  VANTREL_FAKE_NOT_USED(ExecNotificationQueryAsync, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
  VANTREL_FAKE_NOT_USED(ExecMethod, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**,
                                     IWbemCallResult**))
  VANTREL_FAKE_NOT_USED(ExecMethodAsync, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                          IWbemObjectSink*))
};

class FakeLocator final : public FakeWmiObject<IWbemLocator> {
 public:
  explicit FakeLocator(FakeWmi& owner) : FakeWmiObject(owner, L"locator") {}

  HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR user, const BSTR password,
                                          const BSTR locale, LONG securityFlags, const BSTR authority,
                                          IWbemContext* context, IWbemServices** services) override {
    owner_.calls.push_back(L"ConnectServer");
    owner_.connectServerCalls.push_back({resource != nullptr ? resource : L"", SysStringLen(resource), user,
                                         password, locale, securityFlags, authority, context});
    if (services == nullptr) return WBEM_E_INVALID_PARAMETER;
    *services = nullptr;
    if (owner_.connectHangs) {
      if ((securityFlags & WBEM_FLAG_CONNECT_USE_MAX_WAIT) == 0) ADD_FAILURE() << "ConnectServer waits for ever";
      owner_.Wait(120000);
      return WBEM_E_TIMED_OUT;
    }
    if (FAILED(owner_.connectServerResult)) {
      *services = owner_.services_;
      return owner_.connectServerResult;
    }
    if (owner_.giveServices) {
      owner_.services_->AddRef();
      *services = owner_.services_;
    }
    return owner_.connectServerResult;
  }
};

// ---- FakeWmi ------------------------------------------------------------------------------

namespace {
FakeWmi* current = nullptr;
}

FakeWmi::FakeWmi() : table_(ComApi(), FakeTable()) {
  if (current != nullptr) ADD_FAILURE() << "only one FakeWmi may exist at a time";
  current = this;
  PlatformLog().clear();

  auto locator = std::make_unique<FakeLocator>(*this);
  auto services = std::make_unique<FakeServices>(*this);
  auto value = std::make_unique<FakeValueObject>(*this);
  locator_ = locator.get();
  services_ = services.get();
  countedValueInterface_ = value.get();
  objects_.push_back(std::move(locator));
  objects_.push_back(std::move(services));
  objects_.push_back(std::move(value));
}

FakeWmi::~FakeWmi() {
  if (current == this) current = nullptr;
}

void FakeWmi::Answer(std::wstring statement, FakeQueryAnswer answer) {
  answers_[std::move(statement)] = std::move(answer);
}

IWbemLocator* FakeWmi::Locator() const { return locator_; }
IWbemServices* FakeWmi::Services() const { return services_; }
LONG FakeWmi::LocatorReferences() const { return locator_->References(); }
LONG FakeWmi::ServicesReferences() const { return services_->References(); }

LONG FakeWmi::OutstandingReferences() const {
  LONG total = 0;
  for (const auto& object : objects_) total += object->References();
  return total;
}

LONG FakeWmi::ExcessReleases() const {
  LONG total = 0;
  for (const auto& object : objects_) total += object->ExcessReleases();
  return total;
}

int FakeWmi::EnumeratorsCreated() const { return enumeratorsCreated_; }
int FakeWmi::ObjectsDelivered() const { return objectsDelivered_; }

IEnumWbemClassObject* FakeWmi::NewEnumerator(const FakeQueryAnswer& answer) {
  auto enumerator = std::make_unique<FakeEnumerator>(*this, answer);
  FakeEnumerator* given = enumerator.get();
  objects_.push_back(std::move(enumerator));
  ++enumeratorsCreated_;
  given->AddRef();
  return given;
}

IWbemClassObject* FakeWmi::NewObject(const FakeObject& properties) {
  auto object = std::make_unique<FakeClassObject>(*this, properties);
  FakeClassObject* given = object.get();
  objects_.push_back(std::move(object));
  ++objectsDelivered_;
  given->AddRef();
  return given;
}

IEnumWbemClassObject* FakeWmi::StrayEnumerator() {
  auto enumerator = std::make_unique<FakeEnumerator>(*this, FakeQueryAnswer());
  FakeEnumerator* left = enumerator.get();
  objects_.push_back(std::move(enumerator));
  return left;
}

IWbemClassObject* FakeWmi::StrayObject() {
  auto object = std::make_unique<FakeClassObject>(*this, FakeObject());
  FakeClassObject* left = object.get();
  objects_.push_back(std::move(object));
  return left;
}

IUnknown* FakeWmi::CountedValue() {
  countedValueInterface_->AddRef();
  return countedValueInterface_;
}

FakeWmi& FakeWmi::Current() { return *current; }

const ComEntryPoints& FakeWmi::FakeTable() {
  static const ComEntryPoints table = {
      &FakeWmi::CoInitializeExFake,    &FakeWmi::CoInitializeSecurityFake, &FakeWmi::CoCreateInstanceFake,
      &FakeWmi::CoSetProxyBlanketFake, &FakeWmi::CoUninitializeFake,       &FakeWmi::GetTickCount64Fake,
  };
  return table;
}

HRESULT WINAPI FakeWmi::CoInitializeExFake(LPVOID reserved, DWORD coInit) {
  FakeWmi& fake = Current();
  fake.calls.push_back(L"CoInitializeEx");
  fake.coInitializeExCalls.push_back({reserved, coInit});
  return fake.coInitializeResult;
}

HRESULT WINAPI FakeWmi::CoInitializeSecurityFake(PSECURITY_DESCRIPTOR descriptor, LONG authServiceCount,
                                                 SOLE_AUTHENTICATION_SERVICE* authServices, void* reserved1,
                                                 DWORD authnLevel, DWORD impLevel, void* authList,
                                                 DWORD capabilities, void* reserved3) {
  FakeWmi& fake = Current();
  fake.calls.push_back(L"CoInitializeSecurity");
  fake.coInitializeSecurityCalls.push_back({descriptor, authServiceCount, authServices, reserved1, authnLevel,
                                            impLevel, authList, capabilities, reserved3});
  return fake.coInitializeSecurityResult;
}

HRESULT WINAPI FakeWmi::CoCreateInstanceFake(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                             LPVOID* object) {
  FakeWmi& fake = Current();
  fake.calls.push_back(L"CoCreateInstance");
  fake.coCreateInstanceCalls.push_back({clsid, outer, context, iid, object != nullptr});
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (FAILED(fake.coCreateInstanceResult)) {
    *object = static_cast<IWbemLocator*>(fake.locator_);
    return fake.coCreateInstanceResult;
  }
  if (fake.giveLocator) {
    if (!IsEqualIID(iid, __uuidof(IWbemLocator))) return E_NOINTERFACE;
    fake.locator_->AddRef();
    *object = static_cast<IWbemLocator*>(fake.locator_);
  }
  return fake.coCreateInstanceResult;
}

HRESULT WINAPI FakeWmi::CoSetProxyBlanketFake(IUnknown* proxy, DWORD authnService, DWORD authzService,
                                              OLECHAR* serverPrincipal, DWORD authnLevel, DWORD impLevel,
                                              RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities) {
  FakeWmi& fake = Current();
  fake.calls.push_back(L"CoSetProxyBlanket");
  fake.proxyBlanketCalls.push_back(
      {proxy, authnService, authzService, serverPrincipal, authnLevel, impLevel, authInfo, capabilities});
  return fake.proxyBlanketResult;
}

ULONGLONG WINAPI FakeWmi::GetTickCount64Fake() {
  const FakeWmi& fake = Current();
  return fake.realTime ? GetTickCount64() : fake.now.load();
}

void FakeWmi::Wait(ULONGLONG milliseconds) {
  if (realTime) {
    Sleep(static_cast<DWORD>(milliseconds));
  } else {
    now += milliseconds;
  }
}

void WINAPI FakeWmi::CoUninitializeFake() {
  FakeWmi& fake = Current();
  fake.calls.push_back(L"CoUninitialize");
  ++fake.uninitializeCount;
}

}  // namespace vantrel::testing
