#pragma once

#include "VXNServiceFramework/dispatch/Service.h"

#include <functional>
#include <memory>

// Creates a service object on demand; the application keeps one factory per service name.
class ServiceFactoryBase {
public:
    virtual ~ServiceFactoryBase() = default;
    virtual std::unique_ptr<Service> create() = 0;
};

template <class T> class ServiceFactory final : public ServiceFactoryBase {
    static_assert(std::is_base_of_v<Service, T>);

public:
    std::unique_ptr<Service> create() override { return std::make_unique<T>(); }
};

// A factory over a function, for services built with arguments.
class ServiceFactoryFunction final : public ServiceFactoryBase {
public:
    explicit ServiceFactoryFunction(std::function<std::unique_ptr<Service>()> make)
        : m_make(std::move(make)) {}

    std::unique_ptr<Service> create() override { return m_make(); }

private:
    std::function<std::unique_ptr<Service>()> m_make;
};
